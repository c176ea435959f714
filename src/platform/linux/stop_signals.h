#pragma once
// SIGINT and SIGTERM ask for an orderly end. The handler only sets a flag and writes one
// byte to a pipe; the read loop checks the flag between buffers, an event loop watches
// the pipe. A second signal of the same kind ends the program at once, as usual.

#include <string>

namespace corvane {

// Installs the handlers. Blocking reads are not restarted after a stop signal, so a read
// from a quiet pipe returns. False with `error` set when that cannot be done.
bool InstallStopSignals(std::string& error);

// Whether a stop signal came.
bool StopRequested();

// The read end of the pipe: readable once a stop signal came.
int StopSignalFd();

}  // namespace corvane
