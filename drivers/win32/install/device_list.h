#pragma once
// The devices that installing the driver package makes, found, made and removed through
// the device installer.

#include <string>
#include <vector>

namespace corvane::driver {

struct FoundDevice {
  std::string instanceId;
  bool present = false;  // Plug and Play has it now (not only its record)
};

// Every device, present or not, one of whose hardware ids is `hardwareId` (case ignored).
std::vector<FoundDevice> DevicesWithHardwareId(const char* hardwareId);

// Makes a root device of the system class with the hardware id and registers it. False,
// with `error` set, when a step fails.
bool CreateRootDevice(const char* hardwareId, std::string& error);

// Removes every device with the hardware id; counts them in `removed`.
bool RemoveDevices(const char* hardwareId, int& removed, std::string& error);

}  // namespace corvane::driver
