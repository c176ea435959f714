#pragma once
// The calling thread's message loop, for programs without a window of their own: it
// delivers the messages of the thread's hidden windows (the capture device's buffers,
// the single-instance guard) until told to end.

#include <chrono>
#include <functional>

namespace corvane {

// Runs the loop, calling `onTick` every `tick` on this thread; ends when `onTick`
// returns false, or when WM_QUIT arrives.
void RunMessageLoop(std::chrono::milliseconds tick, const std::function<bool()>& onTick);

}  // namespace corvane
