// A stand-in for the joystick driver's install tool, corvane-driver.exe, in a driver
// package of placeholder files: it appends its command line to the file that
// CORVANE_STAND_IN_LOG names, and "status" exits with CORVANE_STAND_IN_STATUS (0 when
// unset), so a test sees what the setup asks of the driver, and can make Windows refuse
// to load it.

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (const char* log = std::getenv("CORVANE_STAND_IN_LOG")) {
    if (FILE* file = std::fopen(log, "a")) {
      for (int i = 1; i < argc; ++i) std::fprintf(file, i == 1 ? "%s" : " %s", argv[i]);
      std::fprintf(file, "\n");
      std::fclose(file);
    }
  }
  if (argc >= 2 && std::strcmp(argv[1], "status") == 0) {
    const char* status = std::getenv("CORVANE_STAND_IN_STATUS");
    if (status != nullptr && std::atoi(status) != 0) {
      std::printf("bus: installed, not running (the stand-in was told to fail)\n");
      return std::atoi(status);
    }
    std::printf("bus: running\n");
  }
  return 0;
}
