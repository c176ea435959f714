#include "wav/wav_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/little_endian.h"

namespace corvane::wav {

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagAlaw = 6;
constexpr std::uint16_t kTagMulaw = 7;
constexpr std::uint16_t kTagExtensible = 0xFFFE;

std::string TagName(std::uint16_t tag) {
  switch (tag) {
    case kTagPcm: return "PCM";
    case kTagFloat: return "IEEE float";
    case kTagAlaw: return "A-law";
    case kTagMulaw: return "mu-law";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "format 0x%04X", static_cast<unsigned>(tag));
      return text;
    }
  }
}

}  // namespace

std::string DescribeFormat(const WavFormat& f) {
  std::string text = std::to_string(f.bitsPerSample) + "-bit ";
  if (f.channels == 1) {
    text += "mono";
  } else if (f.channels == 2) {
    text += "stereo";
  } else {
    text += std::to_string(f.channels) + "-channel";
  }
  text += " " + std::to_string(f.sampleRate) + " Hz " + TagName(f.formatTag);
  const bool usual = f.formatTag == kTagPcm && f.channels == 1 && f.bitsPerSample == 16;
  if (usual && f.blockAlign != 2) text += " with a block alignment of " + std::to_string(f.blockAlign);
  return text;
}

bool WavReader::Fail(std::string text) {
  const std::string cause = source_.Error();
  error_ = cause.empty() ? std::move(text) : "cannot read: " + cause;
  return false;
}

bool WavReader::ReadExactly(void* out, std::size_t count) { return source_.Read(out, count) == count; }

bool WavReader::Skip(std::uint64_t count) {
  std::uint8_t scratch[4096];
  while (count > 0) {
    const std::size_t step = count < sizeof scratch ? static_cast<std::size_t>(count) : sizeof scratch;
    if (!ReadExactly(scratch, step)) return false;
    count -= step;
  }
  return true;
}

bool WavReader::Open() {
  std::uint8_t riff[12];
  if (!ReadExactly(riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return Fail("not a RIFF/WAVE file");
  }
  bool haveFormat = false;
  for (;;) {
    std::uint8_t chunk[8];
    if (!ReadExactly(chunk, sizeof chunk)) {
      return Fail(haveFormat ? "the file has no data chunk" : "the file has no format chunk");
    }
    const std::uint32_t size = GetLe32(chunk + 4);
    const std::uint64_t padded = static_cast<std::uint64_t>(size) + (size & 1);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return Fail("the format chunk is too short");
      std::uint8_t fmt[40] = {};
      const std::size_t head = size < sizeof fmt ? size : sizeof fmt;
      if (!ReadExactly(fmt, head) || !Skip(padded - head)) return Fail("the file ends inside its format chunk");
      format_.formatTag = GetLe16(fmt);
      format_.channels = GetLe16(fmt + 2);
      format_.sampleRate = GetLe32(fmt + 4);
      format_.blockAlign = GetLe16(fmt + 12);
      format_.bitsPerSample = GetLe16(fmt + 14);
      // An extensible format names its real tag in the first bytes of its subformat.
      if (format_.formatTag == kTagExtensible && size >= 40) format_.formatTag = GetLe16(fmt + 24);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return Fail("the data chunk comes before the format chunk");
      const WavFormat& f = format_;
      if (f.formatTag != kTagPcm || f.channels != 1 || f.sampleRate != 48000 || f.bitsPerSample != 16 ||
          f.blockAlign != 2) {
        return Fail("not 16-bit mono 48000 Hz PCM: it is " + DescribeFormat(f));
      }
      declared_ = size;
      remaining_ = size;
      return true;
    } else if (!Skip(padded)) {
      return Fail("the file ends before its data chunk");
    }
  }
}

std::size_t WavReader::Read(void* out, std::size_t count) {
  const std::size_t want = count < remaining_ ? count : remaining_;
  if (want == 0) return 0;
  const std::size_t n = source_.Read(out, want);
  remaining_ -= static_cast<std::uint32_t>(n);
  delivered_ += n;
  if (n < want) {
    truncated_ = true;
    remaining_ = 0;
  }
  return n;
}

}  // namespace corvane::wav
