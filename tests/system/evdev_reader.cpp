#include "evdev_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>

namespace corvane::systest {
namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

template <std::size_t Bits>
std::vector<int> SetBits(int fd, unsigned long request, const char* what) {
  std::array<unsigned char, (Bits + CHAR_BIT - 1) / CHAR_BIT> bits{};
  if (::ioctl(fd, request, bits.data()) < 0) ThrowErrno(what);
  std::vector<int> codes;
  for (std::size_t code = 0; code < Bits; ++code) {
    if (bits[code / CHAR_BIT] & (1u << (code % CHAR_BIT))) codes.push_back(static_cast<int>(code));
  }
  return codes;
}

}  // namespace

EvdevReader::EvdevReader(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
  if (fd_ < 0) ThrowErrno("open " + path);
  LoadState();
}

EvdevReader::~EvdevReader() { ::close(fd_); }

std::string EvdevReader::Name() const {
  char name[256] = {};
  if (::ioctl(fd_, EVIOCGNAME(sizeof name - 1), name) < 0) ThrowErrno("EVIOCGNAME");
  return name;
}

input_id EvdevReader::Id() const {
  input_id id{};
  if (::ioctl(fd_, EVIOCGID, &id) < 0) ThrowErrno("EVIOCGID");
  return id;
}

std::vector<int> EvdevReader::AbsAxes() const {
  return SetBits<ABS_CNT>(fd_, EVIOCGBIT(EV_ABS, (ABS_CNT + CHAR_BIT - 1) / CHAR_BIT), "EVIOCGBIT(EV_ABS)");
}

std::vector<int> EvdevReader::Keys() const {
  return SetBits<KEY_CNT>(fd_, EVIOCGBIT(EV_KEY, (KEY_CNT + CHAR_BIT - 1) / CHAR_BIT), "EVIOCGBIT(EV_KEY)");
}

input_absinfo EvdevReader::AbsInfo(int code) const {
  input_absinfo info{};
  if (::ioctl(fd_, EVIOCGABS(code), &info) < 0) ThrowErrno("EVIOCGABS");
  return info;
}

void EvdevReader::LoadState() {
  for (const int code : AbsAxes()) abs_[code] = AbsInfo(code).value;
  keys_.reset();
  for (const int code : SetBits<KEY_CNT>(fd_, EVIOCGKEY((KEY_CNT + CHAR_BIT - 1) / CHAR_BIT), "EVIOCGKEY")) {
    keys_.set(code);
  }
}

void EvdevReader::Apply(const input_event& event) {
  if (event.type == EV_ABS && event.code < ABS_CNT) abs_[event.code] = event.value;
  if (event.type == EV_KEY && event.code < KEY_CNT) keys_.set(event.code, event.value != 0);
}

bool EvdevReader::NextEvent(input_event& event, std::chrono::steady_clock::time_point deadline) {
  while (next_ == count_) {
    const ssize_t bytes = ::read(fd_, buffer_.data(), sizeof buffer_);
    if (bytes > 0) {
      next_ = 0;
      count_ = static_cast<std::size_t>(bytes) / sizeof(input_event);  // evdev reads whole events
      continue;
    }
    if (bytes < 0 && errno != EAGAIN && errno != EINTR) ThrowErrno("read evdev");
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd poll_fd{fd_, POLLIN, 0};
    ::poll(&poll_fd, 1, static_cast<int>(left.count()) + 1);
  }
  event = buffer_[next_++];
  return true;
}

bool EvdevReader::ReadReport(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  packets_ = 0;
  input_event event{};
  while (NextEvent(event, deadline)) {
    if (event.type == EV_SYN && event.code == SYN_DROPPED) {
      dropping_ = true;  // the driver's queue overflowed: this report is incomplete
    } else if (event.type == EV_SYN && event.code == SYN_REPORT) {
      ++packets_;
      if (event.value != 0) continue;  // a split report goes on
      if (dropping_) {
        dropping_ = false;
        LoadState();
      }
      return true;
    } else if (!dropping_) {
      Apply(event);
    }
  }
  return false;
}

}  // namespace corvane::systest
