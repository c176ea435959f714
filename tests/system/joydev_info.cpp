#include "joydev_info.h"

#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace corvane::systest {

JoydevInfo QueryJoydev(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "open " + path);
  char name[256] = {};
  unsigned char axes = 0;
  unsigned char buttons = 0;
  const bool ok = ::ioctl(fd, JSIOCGNAME(sizeof name - 1), name) >= 0 &&
                  ::ioctl(fd, JSIOCGAXES, &axes) >= 0 && ::ioctl(fd, JSIOCGBUTTONS, &buttons) >= 0;
  const int error = errno;
  ::close(fd);
  if (!ok) throw std::system_error(error, std::generic_category(), "joydev ioctl on " + path);
  return {name, axes, buttons};
}

}  // namespace corvane::systest
