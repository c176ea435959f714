#include "siggen/sweep.h"

#include <cmath>

namespace corvane::siggen {

std::int32_t SweepPosition(int index, double seconds) {
  double phase = seconds / kSweepPeriodSeconds - index / 8.0;
  phase -= std::floor(phase);                        // 0 … 1
  const double triangle = phase < 0.5 ? 2 * phase : 2 - 2 * phase;  // 0 … 1 … 0
  return static_cast<std::int32_t>(std::lround(triangle * 1023.0));
}

}  // namespace corvane::siggen
