// corvane-driver: installs, removes and shows the Corvane joystick drivers.
//
//   corvane-driver install [FOLDER]   from the driver package in FOLDER (default: the
//                                     folder this program is in)
//   corvane-driver remove             takes out the devices and both driver packages
//   corvane-driver status             one line per part; exit status 0 only when the
//                                     joystick bus runs
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "driver_commands.h"

namespace {

constexpr char kUsage[] = "usage: corvane-driver install [FOLDER] | remove | status\n";

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

int Done(bool ok, const std::string& error) {
  if (!ok) std::fprintf(stderr, "corvane-driver: %s\n", error.c_str());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane::driver;
  const std::string command = argc >= 2 ? argv[1] : "";
  std::string error;
  if (command == "install" && argc <= 3) {
    return Done(InstallPackage(argc == 3 ? argv[2] : ProgramFolder(), stdout, error), error);
  }
  if (command == "remove" && argc == 2) return Done(RemovePackage(stdout, error), error);
  if (command == "status" && argc == 2) return PrintStatus(stdout) ? 0 : 1;
  std::fputs(kUsage, stderr);
  return 2;
}
