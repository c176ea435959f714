#include "uinput_test_joystick.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace corvane::systest {
namespace {

static_assert(UinputTestJoystick::kAxes.back() == ABS_RZ && UinputTestJoystick::kFirstButton == BTN_TRIGGER &&
              UinputTestJoystick::kFirstButton + UinputTestJoystick::kButtons - 1 == BTN_BASE4);

void Check(bool ok, const char* what) {
  if (!ok) throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

UinputTestJoystick::UinputTestJoystick(const std::string& name)
    : fd_(::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC)) {
  Check(fd_ >= 0, "open /dev/uinput");
  try {
    Check(::ioctl(fd_, UI_SET_EVBIT, EV_KEY) == 0, "UI_SET_EVBIT EV_KEY");
    Check(::ioctl(fd_, UI_SET_EVBIT, EV_ABS) == 0, "UI_SET_EVBIT EV_ABS");
    for (int button = 0; button < kButtons; ++button) {
      Check(::ioctl(fd_, UI_SET_KEYBIT, kFirstButton + button) == 0, "UI_SET_KEYBIT");
    }
    for (const int axis : kAxes) {
      uinput_abs_setup abs{};
      abs.code = static_cast<__u16>(axis);
      abs.absinfo.minimum = 0;
      abs.absinfo.maximum = 1023;
      Check(::ioctl(fd_, UI_ABS_SETUP, &abs) == 0, "UI_ABS_SETUP");
    }
    uinput_setup setup{};
    setup.id = {BUS_VIRTUAL, 0x1234, 0x5678, 1};
    std::strncpy(setup.name, name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
    Check(::ioctl(fd_, UI_DEV_SETUP, &setup) == 0, "UI_DEV_SETUP");
    Check(::ioctl(fd_, UI_DEV_CREATE) == 0, "UI_DEV_CREATE");
  } catch (...) {
    ::close(fd_);
    throw;
  }
}

UinputTestJoystick::~UinputTestJoystick() {
  ::ioctl(fd_, UI_DEV_DESTROY);
  ::close(fd_);
}

void UinputTestJoystick::Emit(int type, int code, int value) {
  input_event event{};
  event.type = static_cast<__u16>(type);
  event.code = static_cast<__u16>(code);
  event.value = value;
  Check(::write(fd_, &event, sizeof event) == static_cast<ssize_t>(sizeof event), "write uinput event");
}

void UinputTestJoystick::Report(const std::array<int, 6>& axes, const std::array<bool, kButtons>& buttons) {
  for (std::size_t axis = 0; axis < kAxes.size(); ++axis) Emit(EV_ABS, kAxes[axis], axes[axis]);
  for (int button = 0; button < kButtons; ++button) {
    Emit(EV_KEY, kFirstButton + button, buttons[static_cast<std::size_t>(button)] ? 1 : 0);
  }
  Emit(EV_SYN, SYN_REPORT, 0);
}

}  // namespace corvane::systest
