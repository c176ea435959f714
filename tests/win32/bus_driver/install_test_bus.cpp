// Makes or removes the root devices the test bus driver serves, as a driver package's
// installer does:
//
//   install_test_bus create   creates the root devices with the test bus's hardware id and
//                             its service; devices already there are kept
//   install_test_bus remove   removes them again
//
// The driver's service is made and started with `sc create` and `sc start`; starting it
// adds its root devices. The service manager also starts the service of every root
// device when the system starts.
#include <windows.h>

#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "test_bus_log.h"

namespace {

// The system device class: a root device needs a class, and the test bus is nothing
// more particular.
const GUID kSystemClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

bool Fail(const char* what, const std::string& device) {
  std::fprintf(stderr, "install_test_bus: %s for %s failed, error %lu\n", what, device.c_str(),
               GetLastError());
  return false;
}

std::string InstanceId(int number) {
  char id[64];
  std::snprintf(id, sizeof id, "%s\\%04d", TEST_BUS_DEVICE_ID, number);
  return id;
}

bool CreateRootDevice(HDEVINFO set, const std::string& id) {
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  if (!SetupDiCreateDeviceInfoA(set, id.c_str(), &kSystemClass, nullptr, nullptr, 0, &device)) {
    return GetLastError() == ERROR_DEVINST_ALREADY_EXISTS || Fail("SetupDiCreateDeviceInfoA", id);
  }
  // A list of strings: the id, then an empty string.
  const char hardwareIds[] = TEST_BUS_HARDWARE_ID "\0";
  const char service[] = TEST_BUS_SERVICE;
  if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                         reinterpret_cast<const BYTE*>(hardwareIds), sizeof hardwareIds)) {
    return Fail("SetupDiSetDeviceRegistryPropertyA(SPDRP_HARDWAREID)", id);
  }
  // Which driver serves the device: Wine's driver host adds the root devices whose
  // service is the driver it loads.
  if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_SERVICE,
                                         reinterpret_cast<const BYTE*>(service), sizeof service)) {
    return Fail("SetupDiSetDeviceRegistryPropertyA(SPDRP_SERVICE)", id);
  }
  if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device)) {
    return Fail("SetupDiCallClassInstaller(DIF_REGISTERDEVICE)", id);
  }
  return true;
}

bool RemoveRootDevice(HDEVINFO set, const std::string& id) {
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  if (!SetupDiOpenDeviceInfoA(set, id.c_str(), nullptr, 0, &device)) {
    return GetLastError() == ERROR_NO_SUCH_DEVINST || Fail("SetupDiOpenDeviceInfoA", id);
  }
  // Also tells the running driver that its device is gone.
  return SetupDiRemoveDevice(set, &device) || Fail("SetupDiRemoveDevice", id);
}

}  // namespace

int main(int argc, char** argv) {
  const bool create = argc == 2 && std::strcmp(argv[1], "create") == 0;
  const bool remove = argc == 2 && std::strcmp(argv[1], "remove") == 0;
  if (!create && !remove) {
    std::fprintf(stderr, "usage: install_test_bus create|remove\n");
    return 2;
  }
  const HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
  if (set == INVALID_HANDLE_VALUE) {
    Fail("SetupDiCreateDeviceInfoList", "the root devices");
    return 1;
  }
  bool ok = true;
  for (int number = 0; number < TEST_BUS_DEVICE_COUNT; ++number) {
    const std::string id = InstanceId(number);
    ok = (create ? CreateRootDevice(set, id) : RemoveRootDevice(set, id)) && ok;
  }
  SetupDiDestroyDeviceInfoList(set);
  return ok ? 0 : 1;
}
