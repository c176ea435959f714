#pragma once
// A forward-only stream of bytes: a file, standard input or a block of memory.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace corvane::wav {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `count` bytes; fewer only at the end of the stream or on an error.
  virtual std::size_t Read(void* out, std::size_t count) = 0;
  // Why the stream ended early, or empty when it simply ended.
  virtual std::string Error() const { return {}; }
};

class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(void* out, std::size_t count) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// Reads an open stdio stream; does not close it.
class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(std::FILE* file) : file_(file) {}
  std::size_t Read(void* out, std::size_t count) override;
  std::string Error() const override;
  // Whether the stream ended because a signal interrupted a read.
  bool Interrupted() const { return errno_ == EINTR; }

 private:
  std::FILE* file_;
  int errno_ = 0;
};

}  // namespace corvane::wav
