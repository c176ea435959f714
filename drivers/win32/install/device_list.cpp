#include "device_list.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <cstring>

#include "windows_error.h"

namespace corvane::driver {

namespace {

const GUID kSystemClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

bool HasHardwareId(HDEVINFO set, SP_DEVINFO_DATA& device, const char* hardwareId) {
  char ids[4096] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, &type, reinterpret_cast<BYTE*>(ids),
                                         sizeof ids - 2, nullptr)) {
    return false;
  }
  for (const char* id = ids; *id != '\0'; id += std::strlen(id) + 1) {
    if (lstrcmpiA(id, hardwareId) == 0) return true;
  }
  return false;
}

std::string InstanceId(HDEVINFO set, SP_DEVINFO_DATA& device) {
  char id[512] = {};  // a device instance id has at most 200 characters
  if (!SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id, nullptr)) return {};
  return id;
}

// Calls `each(set, device)` for every device record with the hardware id, present or not.
template <class Each>
bool ForEachDevice(const char* hardwareId, DWORD flags, Each each, std::string& error) {
  const HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | flags);
  if (set == INVALID_HANDLE_VALUE) {
    error = StepFailed("listing the devices (SetupDiGetClassDevsA)");
    return false;
  }
  bool ok = true;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    if (HasHardwareId(set, device, hardwareId) && !each(set, device)) {
      ok = false;
      break;
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return ok;
}

}  // namespace

std::vector<FoundDevice> DevicesWithHardwareId(const char* hardwareId) {
  std::vector<FoundDevice> found;
  std::string error;
  ForEachDevice(
      hardwareId, 0,
      [&](HDEVINFO set, SP_DEVINFO_DATA& device) {
        found.push_back({InstanceId(set, device), false});
        return true;
      },
      error);
  ForEachDevice(
      hardwareId, DIGCF_PRESENT,
      [&](HDEVINFO set, SP_DEVINFO_DATA& device) {
        const std::string id = InstanceId(set, device);
        for (FoundDevice& f : found) {
          if (f.instanceId == id) f.present = true;
        }
        return true;
      },
      error);
  return found;
}

bool CreateRootDevice(const char* hardwareId, std::string& error) {
  const HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
  if (set == INVALID_HANDLE_VALUE) {
    error = StepFailed("creating a device list (SetupDiCreateDeviceInfoList)");
    return false;
  }
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  // A list of strings: the id, then an empty one.
  std::string ids = hardwareId;
  ids.append(2, '\0');
  bool ok = false;
  if (!SetupDiCreateDeviceInfoA(set, "SYSTEM", &kSystemClass, nullptr, nullptr, DICD_GENERATE_ID, &device)) {
    error = StepFailed("creating the bus device (SetupDiCreateDeviceInfoA)");
  } else if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                reinterpret_cast<const BYTE*>(ids.data()),
                                                static_cast<DWORD>(ids.size()))) {
    error = StepFailed("giving the bus device its hardware id (SetupDiSetDeviceRegistryPropertyA)");
  } else if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device)) {
    error = StepFailed("registering the bus device (DIF_REGISTERDEVICE)");
  } else {
    ok = true;
  }
  SetupDiDestroyDeviceInfoList(set);
  return ok;
}

bool RemoveDevices(const char* hardwareId, int& removed, std::string& error) {
  removed = 0;
  // The ids first: removing a device while its list is walked would move the list.
  for (const FoundDevice& found : DevicesWithHardwareId(hardwareId)) {
    const HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
      error = StepFailed("creating a device list (SetupDiCreateDeviceInfoList)");
      return false;
    }
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    bool ok = true;
    if (!SetupDiOpenDeviceInfoA(set, found.instanceId.c_str(), nullptr, 0, &device)) {
      ok = GetLastError() == ERROR_NO_SUCH_DEVINST;  // gone meanwhile with its bus
      if (!ok) error = StepFailed("finding the device " + found.instanceId + " (SetupDiOpenDeviceInfoA)");
    } else if (!SetupDiCallClassInstaller(DIF_REMOVE, set, &device)) {
      error = StepFailed("removing the device " + found.instanceId + " (DIF_REMOVE)");
      ok = false;
    } else {
      ++removed;
    }
    SetupDiDestroyDeviceInfoList(set);
    if (!ok) return false;
  }
  return true;
}

}  // namespace corvane::driver
