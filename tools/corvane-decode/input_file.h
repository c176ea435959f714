#pragma once
// The recording to decode: a WAV file's sample data, or a whole headerless s16le file,
// from a path or from standard input ("-").

#include <cstdio>
#include <optional>
#include <string>

#include "wav/byte_source.h"
#include "wav/wav_reader.h"

namespace corvane::tool {

class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // Opens the file and, unless raw, reads its WAV header. False with `error` set
  // (without the file's name) when that fails.
  bool Open(const std::string& path, bool raw, std::string& error);

  // The sample bytes, in order.
  wav::ByteSource& Samples();

  // After reading: why the stream failed, if it did; and a warning for a WAV file whose
  // data ended before its header said.
  std::string ReadError() const { return file_ ? file_->Error() : std::string(); }
  bool Interrupted() const { return file_ && file_->Interrupted(); }
  std::string Warning() const;

 private:
  // Hands out the data chunk of the WAV reader as a byte stream.
  class WavData : public wav::ByteSource {
   public:
    explicit WavData(wav::WavReader& reader) : reader_(reader) {}
    std::size_t Read(void* out, std::size_t count) override { return reader_.Read(out, count); }

   private:
    wav::WavReader& reader_;
  };

  std::FILE* stream_ = nullptr;
  bool ownsStream_ = false;
  std::optional<wav::FileByteSource> file_;
  std::optional<wav::WavReader> wav_;
  std::optional<WavData> wavData_;
};

}  // namespace corvane::tool
