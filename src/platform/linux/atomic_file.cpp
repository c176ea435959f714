#include "platform/linux/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

bool IsFolder(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolders(const fs::path& dir) {
  if (IsFolder(dir)) return true;
  fs::path prefix;
  for (const fs::path& part : dir) {
    prefix /= part;
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(dir);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

// A name no other writer uses: the folder holds the target, so the rename stays on one
// file system.
int CreateTemporary(const fs::path& target, fs::path* name) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = target.parent_path() / ("." + target.filename().string() + ".tmp-" +
                                    std::to_string(::getpid()) + "-" + std::to_string(counter++));
    const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

ReadResult ReadWholeFile(const fs::path& path, std::string* contents, std::size_t maxBytes) {
  contents->clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::kMissing : ReadResult::kFailed;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<std::uint64_t>(st.st_size) <= maxBytes;
  char buf[4096];
  while (ok) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    contents->append(buf, static_cast<std::size_t>(n));
    ok = contents->size() <= maxBytes;
  }
  ::close(fd);
  if (!ok) contents->clear();
  return ok ? ReadResult::kRead : ReadResult::kFailed;
}

bool ReplaceFileAtomically(const fs::path& path, std::string_view contents) {
  fs::path target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::error_code ec;
    fs::path resolved = fs::canonical(path, ec);
    if (!ec) target = std::move(resolved);
  }
  if (target.parent_path().empty()) target = fs::path(".") / target;
  // The rename would replace a file its owner made read-only; leave such a file alone.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) return false;
  if (!MakeFolders(target.parent_path())) return false;

  fs::path temporary;
  const int fd = CreateTemporary(target, &temporary);
  if (fd < 0) return false;
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    ::fchmod(fd, st.st_mode & 07777);  // keeps the old file's permissions; best effort
  }
  bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
    const int cause = errno;  // the failure's, not the clean-up's
    ::unlink(temporary.c_str());
    errno = cause;
    return false;
  }
  // Without this the rename itself may not survive a crash.
  return SyncFolder(target.parent_path());
}

}  // namespace corvane
