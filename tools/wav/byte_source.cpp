#include "wav/byte_source.h"

#include <cerrno>
#include <cstring>

namespace corvane::wav {

std::size_t MemoryByteSource::Read(void* out, std::size_t count) {
  const std::size_t n = count < bytes_.size() ? count : bytes_.size();
  if (n > 0) std::memcpy(out, bytes_.data(), n);
  bytes_ = bytes_.subspan(n);
  return n;
}

std::size_t FileByteSource::Read(void* out, std::size_t count) {
  errno = 0;
  const std::size_t n = std::fread(out, 1, count, file_);
  if (n < count && std::ferror(file_) && errno_ == 0) errno_ = errno != 0 ? errno : EIO;
  return n;
}

std::string FileByteSource::Error() const {
  return errno_ != 0 ? std::strerror(errno_) : std::string();
}

}  // namespace corvane::wav
