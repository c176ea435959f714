#pragma once
// Scheduling priority of the program.

namespace corvane {

// Raises the calling thread, and every thread it starts afterwards, above normal
// priority, so capture and decoding keep up while other programs are busy. Where the
// system refuses (no privilege to lower the nice value), the program runs on as it is.
void RaiseProcessPriority();

}  // namespace corvane
