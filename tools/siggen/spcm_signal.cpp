#include "siggen/spcm_signal.h"

#include "decode/spcm_tables.h"
#include "siggen/sweep.h"

namespace corvane::siggen {

std::array<std::uint8_t, kSpcmSymbols> SpcmFrameSymbols(const std::array<std::int32_t, 8>& positions) {
  std::array<std::uint8_t, kSpcmSymbols> symbols{};
  // Symbols without a channel carry an arbitrary valid value.
  for (int i = 0; i < kSpcmSymbols; ++i) symbols[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 7 + 3) & 31);
  for (std::size_t k = 0; k < 8; ++k) {
    const auto value = static_cast<std::uint32_t>(positions[k]) & 0x3FF;
    const auto high = static_cast<std::size_t>(kSpcmHighSymbolOfPosition[k]);
    symbols[high] = static_cast<std::uint8_t>(value >> 5);
    symbols[high + 1] = static_cast<std::uint8_t>(value & 31);
  }
  return symbols;
}

SpcmSource::SpcmSource(SpcmSettings settings) : settings_(settings) {}

void SpcmSource::NextFrame() {
  std::array<std::int32_t, 8> positions = settings_.positions;
  if (settings_.sweep) {
    const double seconds = static_cast<double>(elapsedTicks_) / (kTicksPerSample * 48000.0);
    for (int i = 0; i < 8; ++i) positions[static_cast<std::size_t>(i)] = SweepPosition(i, seconds);
  }
  std::size_t n = 0;
  // A transition starts the sync run and another ends it: the lead-in cell.
  level_ = !level_;
  segments_[n++] = Segment{settings_.syncSamples * kTicksPerSample, level_};
  level_ = !level_;
  segments_[n++] = Segment{kSpcmCellTicks, level_};
  for (std::uint8_t symbol : SpcmFrameSymbols(positions)) {
    const std::uint8_t pattern = kSpcmSymbolPatterns[symbol];
    for (int bit = 7; bit >= 0; --bit) {
      if ((pattern >> bit) & 1) level_ = !level_;
      segments_[n++] = Segment{kSpcmCellTicks, level_};
    }
  }
  segments_[n++] = Segment{settings_.pauseSamples * kTicksPerSample, level_};
  frameTicks_ = 0;
  for (const Segment& s : segments_) frameTicks_ += s.ticks;
  segment_ = 0;
}

Segment SpcmSource::Next() {
  if (segment_ == segments_.size()) {
    NextFrame();
    elapsedTicks_ += frameTicks_;
  }
  return segments_[segment_++];
}

}  // namespace corvane::siggen
