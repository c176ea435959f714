#include "platform/linux/uinput_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane {

int ProbeUinput(const char* path) {
  // Opening creates nothing: a joystick appears only with UI_DEV_CREATE.
  const int fd = ::open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

std::string UinputUnavailableMessage(int error, const char* path) {
  const std::string cause = std::string(path) + " (" + std::strerror(error) + ")";
  const std::string head = "Corvane: no virtual joystick: ";
  const std::string help = "; see \"Virtual joystick\" in README.md";
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return head + "no " + cause + ", the uinput module is not loaded" + help;
    case EACCES:
    case EPERM:
    case EROFS:
      return head + "no permission to open " + cause + ", the udev rule is not installed" + help;
    default:
      return head + "cannot open " + cause + help;
  }
}

bool CheckUinputAccess(const char* path, std::FILE* out) {
  const int error = ProbeUinput(path);
  if (error == 0) return true;
  std::fprintf(out, "%s\n", UinputUnavailableMessage(error, path).c_str());
  return false;
}

}  // namespace corvane
