#pragma once
// The client of the virtual joystick bus driver: finds the driver's device, exposes one
// joystick on it, sends it state records and removes the joystick at the end.

#include <cstdint>

#include "joystick/joystick_report.h"
#include "platform/driver_bus.h"

namespace corvane {

// The hardware identifier the joystick is exposed with.
inline constexpr char16_t kHardwareId[] = u"Kestrovan\\VID_045E&PID_1100";

class TKestrovan {
 public:
  // No bus call: nothing is open and nothing exposed.
  explicit TKestrovan(DriverBus& bus) : bus_(bus) {}
  // Removes the exposed joystick, then closes the device, whatever the results.
  ~TKestrovan();
  TKestrovan(const TKestrovan&) = delete;
  TKestrovan& operator=(const TKestrovan&) = delete;

  // Finds and opens the driver's device. True if a device is open afterwards.
  bool Open();
  // Asks the driver to expose the joystick; keeps the hardware handle it returns.
  bool Expose();
  // Sends one state record. False without a request when no device is open.
  bool SetState(JoystickReport report);
  // Asks the driver to remove the exposed joystick. False without a request when no
  // device is open or nothing is exposed; the hardware handle is dropped on success only.
  bool Remove();
  // Closes the device. False when none is open.
  bool Close();

  DeviceHandle deviceHandle() const { return device_; }
  std::uint32_t hardwareHandle() const { return hardware_; }

 private:
  DeviceHandle OpenInterface(InterfaceSet set, std::uint32_t index);

  DriverBus& bus_;
  DeviceHandle device_ = kInvalidDevice;  // the driver's device, open for reading and writing
  std::uint32_t hardware_ = 0;            // the exposed joystick's handle; 0 when none is held
};

}  // namespace corvane
