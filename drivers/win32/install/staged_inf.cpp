#include "staged_inf.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <cstring>

#include "driver_package.h"
#include "windows_error.h"

namespace corvane::driver {

namespace {

std::string InfFolder() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\inf";
}

// The value of `key` in the [Version] section, with its %strings% replaced.
std::string VersionValue(HINF inf, const char* key) {
  INFCONTEXT line;
  char value[256] = {};
  if (!SetupFindFirstLineA(inf, "Version", key, &line) ||
      !SetupGetStringFieldA(&line, 1, value, sizeof value, nullptr)) {
    return {};
  }
  return value;
}

// Ours when its provider is ours; the class tells the package's two INF files apart (the
// system does not keep every copy's original name).
bool IsCopyOf(const std::string& path, const char* infName) {
  const HINF inf = SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
  if (inf == INVALID_HANDLE_VALUE) return false;
  const std::string provider = VersionValue(inf, "Provider");
  const std::string infClass = VersionValue(inf, "Class");
  SetupCloseInfFile(inf);
  const char* ourClass = std::strcmp(infName, kBusInf) == 0 ? "System" : "HIDClass";
  return provider == kProvider && lstrcmpiA(infClass.c_str(), ourClass) == 0;
}

}  // namespace

bool StageInf(const std::string& infPath, std::string& staged, std::string& error) {
  const std::string folder = infPath.substr(0, infPath.rfind('\\') + 1);
  char destination[MAX_PATH] = {};
  char* name = nullptr;
  if (!SetupCopyOEMInfA(infPath.c_str(), folder.c_str(), SPOST_PATH, 0, destination, sizeof destination,
                        nullptr, &name)) {
    error = StepFailed("staging " + infPath + " (SetupCopyOEMInfA)");
    return false;
  }
  staged = name != nullptr ? name : destination;
  return true;
}

std::vector<std::string> StagedCopiesOf(const char* infName) {
  std::vector<std::string> copies;
  const std::string folder = InfFolder();
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*.inf").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return copies;
  do {
    if (IsCopyOf(folder + "\\" + found.cFileName, infName)) copies.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return copies;
}

bool UnstageInf(const std::string& staged, std::string& error) {
  if (!SetupUninstallOEMInfA(staged.c_str(), SUOI_FORCEDELETE, nullptr)) {
    error = StepFailed("taking " + staged + " out of the INF folder (SetupUninstallOEMInfA)");
    return false;
  }
  // Its precompiled form, which Wine leaves behind.
  const std::string pnf = InfFolder() + "\\" + staged.substr(0, staged.rfind('.')) + ".pnf";
  if (!DeleteFileA(pnf.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    error = StepFailed("deleting " + pnf + " (DeleteFileA)");
    return false;
  }
  return true;
}

}  // namespace corvane::driver
