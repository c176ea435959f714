#include "platform/linux/uinput_requests.h"

#include <cctype>
#include <cstring>
#include <optional>
#include <string>

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

// The four hex digits after KEY ("VID_" or "PID_") in an upper-case identifier, when
// they are exactly four.
std::optional<std::uint16_t> HexAfter(const std::string& id, const char* key) {
  const std::size_t at = id.find(key);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t first = at + std::strlen(key);
  std::size_t end = first;
  while (end < id.size() && std::isxdigit(static_cast<unsigned char>(id[end]))) ++end;
  if (end - first != 4) return std::nullopt;
  return static_cast<std::uint16_t>(std::stoul(id.substr(first, 4), nullptr, 16));
}

// Vendor and product from the first hardware identifier that names both, as in
// "Kestrovan\VID_045E&PID_1100"; the fallback ids when none does. The identifiers are
// UTF-16LE strings, each ended by a 0 character, the list by an empty one; a string the
// record cuts off ends with the record.
void ReadHardwareIds(const std::uint8_t* ids, std::size_t length, Request& request) {
  request.vendor = kFallbackVendor;
  request.product = kFallbackProduct;
  std::string id;
  for (std::size_t at = 0; at + 2 <= length; at += 2) {
    const std::uint16_t c = GetLe16(ids + at);
    const bool last = c == 0 || at + 4 > length;
    if (c != 0) id += c < 0x80 ? static_cast<char>(std::toupper(c)) : '?';
    if (!last) continue;
    if (id.empty()) return;  // the end of the list
    const auto vendor = HexAfter(id, "VID_");
    const auto product = HexAfter(id, "PID_");
    if (vendor && product) {
      request.vendor = *vendor;
      request.product = *product;
      return;
    }
    id.clear();
  }
}

Request ParseExpose(const std::uint8_t* bytes, std::size_t length) {
  if (length < kExposeFixedSize || GetLe32(bytes) != kExposeFixedSize) return {};
  Request request = Parsed(RequestKind::kExpose);
  ReadHardwareIds(bytes + kExposeIdsOffset, length - kExposeIdsOffset, request);
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

uinput_setup JoystickSetup(std::uint16_t vendor, std::uint16_t product) {
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.vendor = vendor;
  setup.id.product = product;
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
  setup.absinfo.value = kAxisCentre;
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
