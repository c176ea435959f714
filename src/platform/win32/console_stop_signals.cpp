// Stop signals of a console program: Ctrl+C, Ctrl+Break and closing the console ask for
// an orderly end. A second Ctrl+C or Ctrl+Break ends the program at once, as usual.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/platform.h"

namespace corvane {

namespace {

std::atomic<bool> gStopRequested{false};

// How long closing the console waits for the program to end in order; the system ends
// the process when the handler returns.
constexpr DWORD kCloseGraceMilliseconds = 3000;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const bool second = gStopRequested.exchange(true);
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      return second ? FALSE : TRUE;  // FALSE: the default handler ends the process
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      Sleep(kCloseGraceMilliseconds);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool InstallStopSignals(std::string& error) {
  if (SetConsoleCtrlHandler(&OnConsoleEvent, TRUE)) return true;
  error = "cannot catch Ctrl+C: error " + std::to_string(GetLastError());
  return false;
}

bool StopRequested() { return gStopRequested.load(); }

int StopSignalFd() { return -1; }

}  // namespace corvane
