#include "corvane-decode/input_file.h"

#include <cerrno>
#include <cstring>

#include "wav/binary_stream.h"

namespace corvane::tool {

InputFile::~InputFile() {
  if (ownsStream_) std::fclose(stream_);
}

bool InputFile::Open(const std::string& path, bool raw, std::string& error) {
  if (path == "-") {
    stream_ = stdin;
    wav::UseBinaryMode(stream_);
  } else {
    stream_ = std::fopen(path.c_str(), "rb");
    if (stream_ == nullptr) {
      error = std::string("cannot open: ") + std::strerror(errno);
      return false;
    }
    ownsStream_ = true;
  }
  file_.emplace(stream_);
  if (raw) return true;
  wav_.emplace(*file_);
  if (!wav_->Open()) {
    error = wav_->Error();
    return false;
  }
  wavData_.emplace(*wav_);
  return true;
}

wav::ByteSource& InputFile::Samples() {
  if (wavData_) return *wavData_;
  return *file_;
}

std::string InputFile::Warning() const {
  if (!wav_ || !wav_->Truncated() || !ReadError().empty()) return {};
  return "the data chunk is shorter than its header says (" + std::to_string(wav_->DeliveredBytes()) +
         " of " + std::to_string(wav_->DeclaredBytes()) + " bytes); decoded what is there";
}

}  // namespace corvane::tool
