#pragma once
// A card's volume steps (min … max) against the 0 … 65535 level the program uses,
// linear and rounded to the nearest step both ways, so a level read and written back
// gives the same steps whenever the card has at most 65536 of them.

#include <algorithm>
#include <cstdint>

namespace corvane {

inline constexpr std::uint32_t kLevelMax = 65535;

namespace volume_scale_detail {
__extension__ typedef unsigned __int128 Wide;

// round(a * b / c) for c > 0, without overflow.
inline std::uint64_t MulDivRounded(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  return static_cast<std::uint64_t>((Wide{a} * b + c / 2) / c);
}
}  // namespace volume_scale_detail

inline std::uint32_t StepsToLevel(long steps, long min, long max) {
  if (max <= min) return 0;
  steps = std::clamp(steps, min, max);
  const auto range = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
  const auto offset = static_cast<std::uint64_t>(steps) - static_cast<std::uint64_t>(min);
  return static_cast<std::uint32_t>(volume_scale_detail::MulDivRounded(offset, kLevelMax, range));
}

inline long LevelToSteps(std::uint32_t level, long min, long max) {
  if (max <= min) return min;
  level = std::min(level, kLevelMax);
  const auto range = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
  const std::uint64_t offset = volume_scale_detail::MulDivRounded(level, range, kLevelMax);
  return static_cast<long>(static_cast<std::uint64_t>(min) + offset);
}

}  // namespace corvane
