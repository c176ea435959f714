#include <windows.h>

#include "platform/platform.h"

namespace corvane {

void RaiseProcessPriority() {
  // Where the system refuses, the program runs on at normal priority.
  SetPriorityClass(GetCurrentProcess(), ABOVE_NORMAL_PRIORITY_CLASS);
}

}  // namespace corvane
