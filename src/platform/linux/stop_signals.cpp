// SIGINT and SIGTERM ask for an orderly end. The handler only sets a flag and writes one
// byte to a pipe; a read loop checks the flag between buffers, an event loop watches
// the pipe. A second signal of the same kind ends the program at once, as usual.
// Blocking reads are not restarted after a stop signal, so a read from a quiet pipe
// returns.

#include "platform/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace corvane {

namespace {

volatile std::sig_atomic_t gStopRequested = 0;
int gPipe[2] = {-1, -1};

void OnStopSignal(int) {
  const int savedErrno = errno;
  gStopRequested = 1;
  // Non-blocking: a full pipe already says all there is to say.
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

bool InstallStopSignals(std::string& error) {
  if (gPipe[0] < 0 && ::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("cannot make the signal pipe: ") + std::strerror(errno);
    return false;
  }
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read waiting on a pipe returns at the signal. SA_RESETHAND: a
  // second signal is not caught any more and ends the program.
  action.sa_flags = SA_RESETHAND;
  for (const int signal : {SIGINT, SIGTERM}) {
    if (::sigaction(signal, &action, nullptr) != 0) {
      error = std::string("cannot catch ") + strsignal(signal) + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

bool StopRequested() { return gStopRequested != 0; }

int StopSignalFd() { return gPipe[0]; }

}  // namespace corvane
