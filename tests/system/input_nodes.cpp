#include "input_nodes.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

namespace corvane::systest {
namespace {

std::string DeviceName(InputInterface interface, const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  char name[256] = {};
  const int length = interface == InputInterface::Evdev
                         ? ::ioctl(fd, EVIOCGNAME(sizeof name - 1), name)
                         : ::ioctl(fd, JSIOCGNAME(sizeof name - 1), name);
  ::close(fd);
  return length < 0 ? std::string{} : std::string(name);
}

}  // namespace

std::optional<std::string> FindInputNode(InputInterface interface, const std::string& name,
                                         std::chrono::milliseconds timeout) {
  const std::string prefix = interface == InputInterface::Evdev ? "event" : "js";
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error)) {
      const std::string file = entry.path().filename().string();
      if (file.starts_with(prefix) && DeviceName(interface, entry.path().string()) == name) {
        return entry.path().string();
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace corvane::systest
