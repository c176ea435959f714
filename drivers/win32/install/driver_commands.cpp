#include "driver_commands.h"

// clang-format off
#include <windows.h>
#include <newdev.h>
// clang-format on

#include <vector>

#include "device_list.h"
#include "driver_package.h"
#include "driver_service.h"
#include "staged_inf.h"
#include "windows_error.h"

namespace corvane::driver {

namespace {

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(full) : path;
}

std::string DriversFolder() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\drivers\\";
}

bool PackageComplete(const std::string& folder, std::string& error) {
  for (const char* file : kPackageFiles) {
    if (GetFileAttributesA((folder + file).c_str()) == INVALID_FILE_ATTRIBUTES) {
      error = "the driver package in " + folder + " lacks " + file;
      return false;
    }
  }
  return true;
}

bool InstallBusDriver(const std::string& busInf, std::FILE* out, std::string& error) {
  BOOL restart = FALSE;
  if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, kBusHardwareId, busInf.c_str(), INSTALLFLAG_FORCE,
                                          &restart)) {
    error = StepFailed("installing the bus driver from " + busInf + " (UpdateDriverForPlugAndPlayDevicesA)");
    return false;
  }
  std::fprintf(out, "bus driver installed from %s\n", busInf.c_str());
  if (restart) std::fprintf(out, "Windows asks for a restart to finish the installation\n");
  return true;
}

// A driver image still loaded cannot be deleted: it goes at the next restart.
bool DeleteDriverImage(const std::string& path, std::FILE* out, std::string& error) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES || DeleteFileA(path.c_str())) return true;
  if (!MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    error = StepFailed("deleting " + path + " (MoveFileExA)");
    return false;
  }
  std::fprintf(out, "%s is in use; it goes at the next restart\n", path.c_str());
  return true;
}

bool RunningOnWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string InfFolder() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\inf\\";
}

// Windows keeps a staged package whole, and installs a joystick's driver from that copy.
// Wine keeps only the INF file, in its INF folder, and installs from there: without the
// driver image beside it, its device installer would ask for the file again for ever.
bool PutImageBesideStagedInf(const std::string& folder, std::FILE* out, std::string& error) {
  if (!RunningOnWine()) return true;
  const std::string target = InfFolder() + kJoystickImage;
  if (!CopyFileA((folder + kJoystickImage).c_str(), target.c_str(), FALSE)) {
    error = StepFailed("copying " + std::string(kJoystickImage) + " to " + InfFolder() + " (CopyFileA)");
    return false;
  }
  std::fprintf(out, "%s copied beside the staged INF file (Wine)\n", kJoystickImage);
  return true;
}

std::string JoinedOrNone(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? "not staged" : "staged as " + text;
}

}  // namespace

bool InstallPackage(const std::string& folderPath, std::FILE* out, std::string& error) {
  std::string folder = FullPath(folderPath);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  if (!PackageComplete(folder, error)) return false;

  // The joystick's INF first: Plug and Play looks for it when the bus makes a joystick.
  std::string staged;
  if (!StageInf(folder + kJoystickInf, staged, error)) return false;
  std::fprintf(out, "joystick driver staged as %s\n", staged.c_str());
  if (!PutImageBesideStagedInf(folder, out, error)) return false;

  if (DevicesWithHardwareId(kBusHardwareId).empty()) {
    if (!CreateRootDevice(kBusHardwareId, error)) return false;
    std::fprintf(out, "bus device created\n");
  }
  return InstallBusDriver(folder + kBusInf, out, error);
}

bool RemovePackage(std::FILE* out, std::string& error) {
  // The joysticks before their bus, then what installing left behind.
  for (const char* hardwareId : {kJoystickHardwareId, kBusHardwareId}) {
    int removed = 0;
    if (!RemoveDevices(hardwareId, removed, error)) return false;
    if (removed > 0) std::fprintf(out, "%d device(s) %s removed\n", removed, hardwareId);
  }
  for (const char* inf : {kJoystickInf, kBusInf}) {
    for (const std::string& staged : StagedCopiesOf(inf)) {
      if (!UnstageInf(staged, error)) return false;
      std::fprintf(out, "%s (%s) taken out\n", staged.c_str(), inf);
    }
  }
  for (const char* service : {kJoystickService, kBusService}) {
    if (!DeleteDriverService(service, error)) return false;
  }
  for (const char* image : kDriverImages) {
    if (!DeleteDriverImage(DriversFolder() + image, out, error)) return false;
  }
  if (RunningOnWine() && !DeleteDriverImage(InfFolder() + kJoystickImage, out, error)) return false;
  std::fprintf(out, "the Corvane drivers are removed\n");
  return true;
}

bool PrintStatus(std::FILE* out) {
  const std::vector<FoundDevice> buses = DevicesWithHardwareId(kBusHardwareId);
  bool busPresent = false;
  for (const FoundDevice& bus : buses) busPresent = busPresent || bus.present;
  const bool running = busPresent && ServiceRunning(kBusService);
  int joysticks = 0;
  for (const FoundDevice& joystick : DevicesWithHardwareId(kJoystickHardwareId))
    joysticks += joystick.present;

  std::fprintf(out, "bus driver package: %s\n", JoinedOrNone(StagedCopiesOf(kBusInf)).c_str());
  std::fprintf(out, "joystick driver package: %s\n", JoinedOrNone(StagedCopiesOf(kJoystickInf)).c_str());
  if (buses.empty()) {
    std::fprintf(out, "bus device: none\n");
  } else {
    std::fprintf(out, "bus device: %s, %s\n", buses[0].instanceId.c_str(),
                 running      ? "running"
                 : busPresent ? "present, not running"
                              : "installed, not present");
  }
  std::fprintf(out, "bus driver service %s: %s\n", kBusService, ServiceState(kBusService).c_str());
  std::fprintf(out, "joystick driver service %s: %s\n", kJoystickService,
               ServiceState(kJoystickService).c_str());
  std::fprintf(out, "joysticks: %d\n", joysticks);
  return running;
}

}  // namespace corvane::driver
