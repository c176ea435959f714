#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "wav/byte_source.h"
#include "wav/wav_reader.h"
#include "wav/wav_writer.h"

namespace corvane::wav {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v), b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 44-byte header for `dataBytes`, followed by `present` bytes 0, 1, 2, ….
Bytes WavFile(std::uint32_t dataBytes, std::size_t present) {
  const auto header = WavHeader(dataBytes);
  Bytes b(header.begin(), header.end());
  for (std::size_t i = 0; i < present; ++i) b.push_back(static_cast<std::uint8_t>(i));
  return b;
}

struct Read {
  bool opened;
  std::string error;
  Bytes data;
  bool truncated;
};

Read ReadAll(const Bytes& file) {
  MemoryByteSource source(file);
  WavReader reader(source);
  Read r{reader.Open(), reader.Error(), {}, false};
  if (r.opened) {
    std::uint8_t chunk[7];  // odd on purpose: reads need not align with samples
    while (std::size_t n = reader.Read(chunk, sizeof chunk)) r.data.insert(r.data.end(), chunk, chunk + n);
    r.truncated = reader.Truncated();
  }
  return r;
}

TEST(WavReader, ReadsTheDataChunkPastOtherChunks) {
  Bytes file = WavFile(6, 0);
  // An odd-sized chunk before the data chunk, padded to an even length.
  const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  file.insert(file.begin() + 36, list.begin(), list.end());
  for (std::uint8_t v : {10, 20, 30, 40, 50, 60, 70}) file.push_back(v);  // one byte past the chunk
  const Read r = ReadAll(file);
  ASSERT_TRUE(r.opened) << r.error;
  EXPECT_EQ(r.data, (Bytes{10, 20, 30, 40, 50, 60}));
  EXPECT_FALSE(r.truncated);
}

TEST(WavReader, ShortDataChunkIsReadAsFarAsItGoes) {
  const Read r = ReadAll(WavFile(2000, 1001));
  ASSERT_TRUE(r.opened);
  EXPECT_EQ(r.data.size(), 1001u);
  EXPECT_TRUE(r.truncated);
}

TEST(WavReader, ExtensiblePcmIsAccepted) {
  Bytes file = WavFile(4, 4);
  Put32(file, 16, 40);
  Put16(file, 20, 0xFFFE);
  Bytes extension(24, 0);
  extension[0] = 22;  // extension size
  extension[8] = 1;   // subformat: PCM
  file.insert(file.begin() + 36, extension.begin(), extension.end());
  const Read r = ReadAll(file);
  ASSERT_TRUE(r.opened) << r.error;
  EXPECT_EQ(r.data.size(), 4u);
}

TEST(WavReader, RejectsWhatIsNotSixteenBitMono48kPcm) {
  struct Case { const char* name; void (*change)(Bytes&); const char* error; };
  const Case cases[] = {
      {"empty", [](Bytes& b) { b.clear(); }, "not a RIFF/WAVE file"},
      {"text", [](Bytes& b) { std::memcpy(b.data(), "RIFX", 4); }, "not a RIFF/WAVE file"},
      {"stereo 44.1k", [](Bytes& b) { Put16(b, 22, 2), Put32(b, 24, 44100), Put16(b, 32, 4); },
       "not 16-bit mono 48000 Hz PCM: it is 16-bit stereo 44100 Hz PCM"},
      {"float", [](Bytes& b) { Put16(b, 20, 3), Put16(b, 34, 32), Put16(b, 32, 4); },
       "not 16-bit mono 48000 Hz PCM: it is 32-bit mono 48000 Hz IEEE float"},
      {"block align", [](Bytes& b) { Put16(b, 32, 4); },
       "not 16-bit mono 48000 Hz PCM: it is 16-bit mono 48000 Hz PCM with a block alignment of 4"},
      {"short fmt", [](Bytes& b) { Put32(b, 16, 14); }, "the format chunk is too short"},
      {"no data", [](Bytes& b) { b.resize(36); }, "the file has no data chunk"},
      {"data first", [](Bytes& b) { std::memcpy(b.data() + 12, "data", 4); }, "the data chunk comes before the format chunk"},
      {"cut chunk", [](Bytes& b) { std::memcpy(b.data() + 36, "junk", 4), Put32(b, 40, 100); },
       "the file ends before its data chunk"},
  };
  for (const Case& c : cases) {
    Bytes file = WavFile(4, 4);
    c.change(file);
    const Read r = ReadAll(file);
    EXPECT_FALSE(r.opened) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
  }
}

// Every prefix and many random corruptions of a valid file: an error or a bounded read,
// never a fault (the sanitizer build checks the memory accesses).
TEST(WavReader, AnyBytesAreSafe) {
  const Bytes valid = WavFile(40, 40);
  for (std::size_t n = 0; n <= valid.size(); ++n) {
    const Read r = ReadAll(Bytes(valid.begin(), valid.begin() + static_cast<long>(n)));
    EXPECT_EQ(r.opened, n >= 44) << n;
  }
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) {
    Bytes file = valid;
    for (int k = 0; k < 4; ++k) file[rng() % file.size()] = static_cast<std::uint8_t>(rng());
    const Read r = ReadAll(file);
    if (r.opened) {
      EXPECT_LE(r.data.size(), file.size());
    }
  }
}

}  // namespace
}  // namespace corvane::wav
