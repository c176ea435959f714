#pragma once
// Reads a RIFF/WAVE stream of 16-bit mono PCM at 48 000 samples per second, chunk by
// chunk, so it works on pipes as well as files. Safe for any bytes: a stream that is
// not such a file gives an error text, never a crash.

#include <cstdint>
#include <string>

#include "wav/byte_source.h"

namespace corvane::wav {

struct WavFormat {
  std::uint16_t formatTag = 0;  // 1 = PCM; the subformat's tag for extensible files
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
};

// "16-bit mono 48000 Hz PCM", "8-bit stereo 44100 Hz PCM", "32-bit mono 48000 Hz IEEE float", …
std::string DescribeFormat(const WavFormat& format);

class WavReader {
 public:
  explicit WavReader(ByteSource& source) : source_(source) {}

  // Reads the header up to the start of the sample data. False with Error() set when
  // the stream is not a WAV file of the format the decoder takes.
  bool Open();
  const std::string& Error() const { return error_; }
  const WavFormat& Format() const { return format_; }

  // Reads up to `count` bytes of sample data; 0 once the data chunk is read.
  std::size_t Read(void* out, std::size_t count);
  std::uint32_t DeclaredBytes() const { return declared_; }
  std::uint64_t DeliveredBytes() const { return delivered_; }
  // The stream ended before the data chunk's declared size.
  bool Truncated() const { return truncated_; }

 private:
  bool ReadExactly(void* out, std::size_t count);
  bool Skip(std::uint64_t count);
  bool Fail(std::string text);

  ByteSource& source_;
  std::string error_;
  WavFormat format_;
  std::uint32_t declared_ = 0;
  std::uint32_t remaining_ = 0;
  std::uint64_t delivered_ = 0;
  bool truncated_ = false;
};

}  // namespace corvane::wav
