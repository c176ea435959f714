#include "platform/linux/uinput_bus.h"

// Raw uinput ioctls rather than libevdev: the handful used here (UI_SET_*BIT,
// UI_ABS_SETUP, UI_DEV_SETUP, UI_DEV_CREATE, UI_DEV_DESTROY) are stable kernel ABI since
// Linux 4.5, and a library would only wrap them.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

using namespace joybus;

// The set handle is the number of interfaces it lists.
constexpr InterfaceSet kEmptySet = 0;
constexpr InterfaceSet kUinputSet = 1;

// Handed out by the port description; the expose request must bring it back.
constexpr std::uint32_t kPortHandle = 1;

bool Ioctl(int fd, unsigned long request, int value) { return ::ioctl(fd, request, value) == 0; }

}  // namespace

UinputBus::~UinputBus() {
  if (fd_ >= 0) ::close(fd_);
}

InterfaceSet UinputBus::GetInterfaces(const InterfaceClass& cls) {
  if (!(cls == kGamePortBusClass)) return kEmptySet;
  return ProbeUinput(path_.c_str()) == 0 ? kUinputSet : kEmptySet;
}

EnumResult UinputBus::EnumInterface(InterfaceSet set, std::uint32_t index) {
  if (set != kEmptySet && set != kUinputSet) return EnumResult::kFailed;
  return index < static_cast<std::uint32_t>(set) ? EnumResult::kFound : EnumResult::kNoMoreItems;
}

std::size_t UinputBus::InterfacePathSize(InterfaceSet set, std::uint32_t index) {
  return set == kUinputSet && index == 0 ? path_.size() + 1 : 0;
}

bool UinputBus::InterfacePath(InterfaceSet set, std::uint32_t index, char* path, std::size_t size) {
  if (InterfacePathSize(set, index) == 0 || path == nullptr || size < path_.size() + 1) return false;
  std::memcpy(path, path_.c_str(), path_.size() + 1);
  return true;
}

DeviceHandle UinputBus::OpenDevice(const char* path) {
  if (fd_ >= 0 || path == nullptr) return kInvalidDevice;
  const int fd = ::open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    lastErrno_ = errno;
    return kInvalidDevice;
  }
  fd_ = fd;
  return fd;
}

bool UinputBus::Request(DeviceHandle device, std::uint32_t code, std::uint8_t* buffer,
                        std::uint32_t length) {
  if (fd_ < 0 || device != fd_) return false;
  // A refusal of the request's own (a record out of order, say) has no system error.
  errno = 0;
  const bool handled = Handle(uinput::ParseRequest(code, buffer, length), buffer);
  lastErrno_ = handled ? 0 : errno;
  return handled;
}

bool UinputBus::Handle(const uinput::Request& request, std::uint8_t* buffer) {
  switch (request.kind) {
    case uinput::RequestKind::kPortDescription:
      portDescribed_ = true;
      PutLe32(buffer + kPortHandleOffset, kPortHandle);
      return true;
    case uinput::RequestKind::kExpose:
      if (!portDescribed_ || request.handle != kPortHandle || hardware_ != 0) return false;
      if (!CreateJoystick(fd_, request)) return false;
      if (++lastHardware_ == 0) ++lastHardware_;  // 0 means none
      hardware_ = lastHardware_;
      axes_ = request.axes;
      buttons_ = request.buttons;
      PutLe32(buffer + kExposeHardwareOffset, hardware_);
      return true;
    case uinput::RequestKind::kSetState:
      // Accepted with nothing exposed, so the client can tell this device is the bus.
      if (hardware_ == 0) return true;
      return WriteStateEvents(fd_, request, axes_, buttons_);
    case uinput::RequestKind::kRemove:
      if (hardware_ == 0 || request.handle != hardware_) return false;
      if (!DestroyJoystick(fd_)) return false;
      hardware_ = 0;
      return true;
    case uinput::RequestKind::kInvalid:
      break;
  }
  return false;
}

std::string UinputBus::LastError() const {
  return lastErrno_ != 0 ? std::strerror(lastErrno_) : std::string();
}

bool UinputBus::CloseDevice(DeviceHandle device) {
  if (fd_ < 0 || device != fd_) return false;
  ::close(fd_);
  fd_ = -1;
  portDescribed_ = false;
  hardware_ = 0;
  return true;
}

bool UinputBus::CreateJoystick(int fd, const uinput::Request& expose) {
  const int axes = expose.axes;
  const int buttons = expose.buttons;
  bool ok = true;
  if (axes > 0) ok = ok && Ioctl(fd, UI_SET_EVBIT, EV_ABS);
  for (int i = 0; ok && i < axes; ++i) {
    const uinput_abs_setup setup = uinput::AxisSetup(i);
    ok = Ioctl(fd, UI_SET_ABSBIT, setup.code) && ::ioctl(fd, UI_ABS_SETUP, &setup) == 0;
  }
  if (buttons > 0) ok = ok && Ioctl(fd, UI_SET_EVBIT, EV_KEY);
  for (int i = 0; ok && i < buttons; ++i) ok = Ioctl(fd, UI_SET_KEYBIT, uinput::kButtonCodes[i]);
  const uinput_setup setup = uinput::JoystickSetup(expose.vendor, expose.product);
  return ok && ::ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ::ioctl(fd, UI_DEV_CREATE) == 0;
}

bool UinputBus::DestroyJoystick(int fd) { return ::ioctl(fd, UI_DEV_DESTROY) == 0; }

bool WriteStateEvents(int fd, const uinput::Request& state, int axes, int buttons) {
  input_event events[uinput::kMaxStateEvents];
  const int count = uinput::BuildStateEvents(state, axes, buttons, events);
  const auto size = static_cast<std::size_t>(count) * sizeof(input_event);
  ssize_t written;
  do {
    written = ::write(fd, events, size);
  } while (written < 0 && errno == EINTR);
  return written == static_cast<ssize_t>(size);
}

}  // namespace corvane
