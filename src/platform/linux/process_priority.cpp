#include "platform/platform.h"

#include <sys/resource.h>

namespace corvane {

namespace {
// Nice value of "above normal": ahead of ordinary programs, well behind real-time work.
constexpr int kAboveNormalNice = -5;
}  // namespace

void RaiseProcessPriority() {
  // On Linux the nice value belongs to the thread; threads created later inherit it,
  // so this runs before the toolkit starts any.
  setpriority(PRIO_PROCESS, 0, kAboveNormalNice);
}

}  // namespace corvane
