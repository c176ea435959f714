#pragma once
// Slowly moving channel positions for sweep signals.

#include <cstdint>

namespace corvane::siggen {

inline constexpr double kSweepPeriodSeconds = 8.0;

// Channel `index` (0 … 7) at time `seconds`: a triangle over 0 … 1023 with the sweep
// period, each channel an eighth of a period behind the one before.
std::int32_t SweepPosition(int index, double seconds);

}  // namespace corvane::siggen
