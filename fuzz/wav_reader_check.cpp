// Any bytes as a WAV file, read to its end twice: in chunks of uneven sizes (empty ones
// among them) and in large reads. Both readings agree; what the reader delivers is the
// stretch of the file after the header, as long as the header declares or as the file
// goes, and the counts it reports say so; it never asks the stream again once the stream
// has ended, so no file makes it spin.
#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "fuzz_checks.h"
#include "wav/byte_source.h"
#include "wav/wav_reader.h"

namespace corvane::fuzz {

namespace {

// A file in memory that counts what is taken from it.
class CountingSource : public wav::ByteSource {
 public:
  explicit CountingSource(std::span<const std::uint8_t> bytes) : memory_(bytes) {}
  std::size_t Read(void* out, std::size_t count) override {
    if (ended_) ++readsAfterEnd;
    const std::size_t n = memory_.Read(out, count);
    if (n < count) ended_ = true;
    consumed += n;
    return n;
  }
  std::size_t consumed = 0;
  int readsAfterEnd = 0;

 private:
  wav::MemoryByteSource memory_;
  bool ended_ = false;
};

struct Reading {
  bool opened = false;
  std::string error;
  std::size_t headerBytes = 0;
  std::vector<std::uint8_t> data;
  bool truncated = false;
};

constexpr std::size_t kLargest = 1 << 16;

// Reads the file with the chunk sizes given in turn; `failure` is set when a property
// fails on the way.
Reading ReadAll(std::span<const std::uint8_t> file, std::span<const std::size_t> chunks, const char*& failure) {
  CountingSource source(file);
  wav::WavReader reader(source);
  Reading r;
  r.opened = reader.Open();
  r.error = reader.Error();
  r.headerBytes = source.consumed;
  if (r.opened) {
    const wav::WavFormat& f = reader.Format();
    if (f.formatTag != 1 || f.channels != 1 || f.sampleRate != 48000 || f.bitsPerSample != 16 ||
        f.blockAlign != 2 || !r.error.empty()) {
      failure = "an opened file is 16-bit mono 48000 Hz PCM, without an error";
    }
    // Each chunk is read into the end of the buffer, so a write past it is caught.
    std::vector<std::uint8_t> buffer(kLargest);
    for (std::size_t i = 0;; ++i) {
      const std::size_t want = chunks[i % chunks.size()];
      const std::size_t n = reader.Read(buffer.data() + kLargest - want, want);
      if (n > want) failure = "a read delivers no more than asked";
      if (n == 0 && want > 0) break;
      r.data.insert(r.data.end(), buffer.end() - static_cast<std::ptrdiff_t>(want),
                    buffer.end() - static_cast<std::ptrdiff_t>(want - std::min(n, want)));
    }
    if (reader.Read(buffer.data(), kLargest) != 0) failure = "a file read to its end stays at its end";
    r.truncated = reader.Truncated();
    if (reader.DeliveredBytes() != r.data.size()) failure = "the bytes delivered are the bytes reported";
    const std::size_t expected = std::min<std::size_t>(reader.DeclaredBytes(), file.size() - r.headerBytes);
    if (r.data.size() != expected) failure = "the data chunk is read as far as it is declared and present";
    if (r.truncated != (r.data.size() < reader.DeclaredBytes())) failure = "a short data chunk is reported";
    if (!std::equal(r.data.begin(), r.data.end(), file.begin() + static_cast<std::ptrdiff_t>(r.headerBytes))) {
      failure = "the samples are the bytes after the header";
    }
  } else if (r.error.empty()) {
    failure = "a file that cannot be read says why";
  }
  if (source.readsAfterEnd != 0) failure = "the reader stops asking once the stream has ended";
  return r;
}

}  // namespace

const char* CheckWavReader(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  static constexpr std::size_t kUneven[] = {1, 3, 0, 2, 7, 64, 1, 4095, 5, 0, 2000};
  static constexpr std::size_t kLarge[] = {kLargest};
  const char* failure = nullptr;
  const Reading uneven = ReadAll(file, kUneven, failure);
  const Reading large = ReadAll(file, kLarge, failure);
  if (failure != nullptr) return failure;
  if (uneven.opened != large.opened || uneven.error != large.error || uneven.headerBytes != large.headerBytes ||
      uneven.data != large.data || uneven.truncated != large.truncated) {
    return "the reading does not depend on the sizes of the reads";
  }
  return nullptr;
}

}  // namespace corvane::fuzz
