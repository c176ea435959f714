#pragma once
// The arithmetic of the live monitor: where a sample lands on the monitor, and on which
// timer ticks the monitor is redrawn. No toolkit here, so it can be checked on its own.

#include <cstdint>

namespace corvane {

// Row of a sample on a monitor `height` pixels tall: full positive scale at the top,
// full negative scale at the bottom, silence in the middle. Both divisions truncate
// toward zero. The product is formed in 64 bits: for every height the monitor can have
// (below 65536) it equals the 32-bit product, and no height can overflow it.
constexpr std::int32_t MonitorRow(std::int32_t height, std::int16_t sample) {
  const std::int64_t scaled = static_cast<std::int64_t>(height) * sample / 65535;
  return static_cast<std::int32_t>(height / 2 - scaled);
}

// The tick counter runs for the life of the program; after 2^31 ticks (about 248 days
// at 10 ms) it wraps to the most negative value instead of overflowing.
constexpr std::int32_t NextTick(std::int32_t tick) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(tick) + 1u);
}

// The waveform is redrawn on every fourth tick (signed remainder, as truncating
// division gives it), about every 40 ms.
constexpr bool MonitorRepaintDue(std::int32_t tick) { return tick % 4 == 0; }

// A channel bar runs 0 … 1024; a position outside that stands at the nearer end.
constexpr int kBarMaximum = 1024;
constexpr int BarValue(std::int32_t position) {
  return position < 0 ? 0 : (position > kBarMaximum ? kBarMaximum : position);
}

}  // namespace corvane
