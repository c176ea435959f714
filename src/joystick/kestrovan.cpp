#include "joystick/kestrovan.h"

#include <array>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/joystick_bus_protocol.h"

namespace corvane {

namespace {

using namespace joybus;

// A real system lists a handful of interfaces of this class. A bus that keeps failing
// with errors other than "no more items" would otherwise be asked index after index
// forever; past this many the search gives up.
constexpr std::uint32_t kMaxInterfaceIndex = 256;

// A device path is at least one character and its terminator; no path on the systems we
// run on is longer than this. A size outside these bounds means the bus could not tell
// the detail, and the interface is skipped.
constexpr std::size_t kMinPathSize = 2;
constexpr std::size_t kMaxPathSize = 4096;

std::array<std::uint8_t, kExposeSize> ExposeRecord(std::uint32_t portHandle) {
  std::array<std::uint8_t, kExposeSize> record{};
  PutLe32(&record[0], kExposeFixedSize);
  PutLe32(&record[kExposePortOffset], portHandle);
  PutLe16(&record[kExposeUnitOffset], 1);
  PutLe16(&record[kExposeAxesOffset], kAxes);
  PutLe16(&record[kExposeButtonsOffset], kButtons);
  // The identifier's characters; the two 0 characters that end it and the list are the
  // record's zero bytes that follow.
  std::size_t at = kExposeIdsOffset;
  for (char16_t c : std::u16string_view(kHardwareId)) {
    PutLe16(&record[at], c);
    at += 2;
  }
  return record;
}

static_assert(kStateSize == kJoystickReportSize);
static_assert(kExposeIdsOffset + 2 * (std::size(kHardwareId) + 1) == kExposeSize,
              "the identifier, its 0 character and the list's 0 character fill the record");

}  // namespace

TKestrovan::~TKestrovan() {
  Remove();
  Close();
}

bool TKestrovan::Open() {
  // Opening again would lose the handle of the device already open.
  if (device_ != kInvalidDevice) return true;
  const InterfaceSet set = bus_.GetInterfaces(kGamePortBusClass);
  if (set == kInvalidInterfaceSet) return false;
  DeviceHandle found = kInvalidDevice;
  for (std::uint32_t index = 0; index < kMaxInterfaceIndex && found == kInvalidDevice; ++index) {
    const EnumResult result = bus_.EnumInterface(set, index);
    if (result == EnumResult::kNoMoreItems) break;
    if (result == EnumResult::kFound) found = OpenInterface(set, index);
  }
  bus_.ReleaseInterfaces(set);
  device_ = found;
  return device_ != kInvalidDevice;
}

DeviceHandle TKestrovan::OpenInterface(InterfaceSet set, std::uint32_t index) {
  const std::size_t size = bus_.InterfacePathSize(set, index);
  if (size < kMinPathSize || size > kMaxPathSize) return kInvalidDevice;
  std::string path(size, '\0');
  if (!bus_.InterfacePath(set, index, path.data(), size)) return kInvalidDevice;
  const DeviceHandle device = bus_.OpenDevice(path.c_str());
  if (device == kInvalidDevice) return kInvalidDevice;
  // Only the driver's device accepts the state request: a zero record (axes 0, buttons
  // released) tells it from other devices of the class.
  JoystickReport zero{};
  if (!bus_.Request(device, kSetState, zero.data(), kStateSize)) {
    bus_.CloseDevice(device);
    return kInvalidDevice;
  }
  return device;
}

bool TKestrovan::Expose() {
  if (device_ == kInvalidDevice) return false;
  std::array<std::uint8_t, kPortDescriptionSize> port{};
  PutLe32(&port[0], kPortDescriptionSize);
  if (!bus_.Request(device_, kPortDescription, port.data(), kPortDescriptionSize)) return false;
  std::array<std::uint8_t, kExposeSize> expose = ExposeRecord(GetLe32(&port[kPortHandleOffset]));
  if (!bus_.Request(device_, kExposeHardware, expose.data(), kExposeSize)) return false;
  hardware_ = GetLe32(&expose[kExposeHardwareOffset]);
  return true;
}

bool TKestrovan::SetState(JoystickReport report) {
  if (device_ == kInvalidDevice) return false;
  return bus_.Request(device_, kSetState, report.data(), kStateSize);
}

bool TKestrovan::Remove() {
  if (device_ == kInvalidDevice || hardware_ == 0) return false;
  std::array<std::uint8_t, kRemoveSize> record{};
  PutLe32(&record[0], kRemoveSize);
  PutLe32(&record[kRemoveHardwareOffset], hardware_);
  if (!bus_.Request(device_, kRemoveHardware, record.data(), kRemoveSize)) return false;
  hardware_ = 0;
  return true;
}

bool TKestrovan::Close() {
  if (device_ == kInvalidDevice) return false;
  bus_.CloseDevice(device_);
  device_ = kInvalidDevice;
  return true;
}

}  // namespace corvane
