#include "platform/linux/uinput_requests.h"

#include <cstring>

namespace corvane::uinput {

namespace {

using namespace joybus;

Request Parsed(RequestKind kind) {
  Request request;
  request.kind = kind;
  return request;
}

Request ParsePortDescription(const std::uint8_t* bytes, std::size_t length) {
  if (length != kPortDescriptionSize || GetLe32(bytes) != kPortDescriptionSize) return {};
  return Parsed(RequestKind::kPortDescription);
}

Request ParseExpose(const std::uint8_t* bytes, std::size_t length) {
  // The hardware identifiers after the fixed part are not read: the joystick's name and
  // ids are fixed.
  if (length < kExposeFixedSize || GetLe32(bytes) != kExposeFixedSize) return {};
  Request request = Parsed(RequestKind::kExpose);
  request.handle = GetLe32(bytes + kExposePortOffset);
  const int axes = GetLe16(bytes + kExposeAxesOffset);
  const int buttons = GetLe16(bytes + kExposeButtonsOffset);
  // A state record carries no more than these.
  if (axes > kAxes || buttons > kButtons) return {};
  request.axes = axes;
  request.buttons = buttons;
  return request;
}

Request ParseSetState(const std::uint8_t* bytes, std::size_t length) {
  if (length != kStateSize) return {};
  Request request = Parsed(RequestKind::kSetState);
  for (int i = 0; i < kAxes; ++i) {
    request.axisValues[i] = static_cast<std::int32_t>(GetLe32(bytes + 4 * i));
  }
  for (int i = 0; i < kButtons; ++i) {
    request.buttonValues[i] = bytes[kStateButtonsOffset + static_cast<std::size_t>(i)] != 0;
  }
  return request;
}

Request ParseRemove(const std::uint8_t* bytes, std::size_t length) {
  if (length != kRemoveSize || GetLe32(bytes) != kRemoveSize) return {};
  Request request = Parsed(RequestKind::kRemove);
  request.handle = GetLe32(bytes + kRemoveHardwareOffset);
  return request;
}

input_event Event(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  input_event event{};  // the kernel stamps the time
  event.type = type;
  event.code = code;
  event.value = value;
  return event;
}

}  // namespace

Request ParseRequest(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) {
  if (bytes == nullptr) return {};
  switch (code) {
    case kPortDescription: return ParsePortDescription(bytes, length);
    case kExposeHardware: return ParseExpose(bytes, length);
    case kSetState: return ParseSetState(bytes, length);
    case kRemoveHardware: return ParseRemove(bytes, length);
    default: return {};
  }
}

uinput_setup JoystickSetup() {
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.vendor = 0;
  setup.id.product = 0;
  setup.id.version = kJoystickVersion;
  static_assert(sizeof kJoystickName <= sizeof setup.name);
  std::memcpy(setup.name, kJoystickName, sizeof kJoystickName);
  return setup;
}

uinput_abs_setup AxisSetup(int axis) {
  uinput_abs_setup setup{};
  setup.code = kAxisCodes[axis];
  setup.absinfo.minimum = kAxisMinimum;
  setup.absinfo.maximum = kAxisMaximum;
  setup.absinfo.fuzz = 0;  // every report counts: the decoder already settled the value
  setup.absinfo.flat = 0;
  return setup;
}

int BuildStateEvents(const Request& state, int axes, int buttons,
                     input_event (&events)[kMaxStateEvents]) {
  int count = 0;
  for (int i = 0; i < axes && i < kAxes; ++i) {
    events[count++] = Event(EV_ABS, kAxisCodes[i], state.axisValues[i]);
  }
  for (int i = 0; i < buttons && i < kButtons; ++i) {
    events[count++] = Event(EV_KEY, kButtonCodes[i], state.buttonValues[i]);
  }
  events[count++] = Event(EV_SYN, SYN_REPORT, 0);
  return count;
}

}  // namespace corvane::uinput
