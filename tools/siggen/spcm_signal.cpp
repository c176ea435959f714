#include "siggen/spcm_signal.h"

#include "decode/spcm_tables.h"
#include "siggen/sweep.h"

namespace corvane::siggen {

SpcmSymbols SpcmFrameSymbols(const std::array<std::int32_t, 8>& positions, std::uint32_t filler) {
  SpcmSymbols symbols{};
  for (std::uint32_t i = 0; i < kSpcmSymbols; ++i) symbols[i] = static_cast<std::uint8_t>((filler * 13 + i * 7 + 3) & 31);
  for (std::size_t k = 0; k < 8; ++k) {
    const auto value = static_cast<std::uint32_t>(positions[k]) & 0x3FF;
    const auto high = static_cast<std::size_t>(kSpcmHighSymbolOfPosition[k]);
    symbols[high] = static_cast<std::uint8_t>(value >> 5);
    symbols[high + 1] = static_cast<std::uint8_t>(value & 31);
  }
  return symbols;
}

SpcmPatterns SpcmFramePatterns(const SpcmSymbols& symbols) {
  SpcmPatterns patterns{};
  for (std::size_t i = 0; i < symbols.size(); ++i) patterns[i] = kSpcmSymbolPatterns.at(symbols[i]);
  return patterns;
}

SpcmFrame SpcmFrameSegments(const SpcmPatterns& patterns, std::int32_t syncSamples, std::int32_t pauseSamples,
                            bool before) {
  SpcmFrame frame{};
  std::size_t n = 0;
  bool level = before;
  // A transition starts the sync run and another ends it: the lead-in cell.
  level = !level;
  frame[n++] = Segment{syncSamples * kTicksPerSample, level};
  level = !level;
  frame[n++] = Segment{kSpcmCellTicks, level};
  for (std::uint8_t pattern : patterns) {
    for (int bit = 7; bit >= 0; --bit) {
      if ((pattern >> bit) & 1) level = !level;
      frame[n++] = Segment{kSpcmCellTicks, level};
    }
  }
  frame[n++] = Segment{pauseSamples * kTicksPerSample, level};
  return frame;
}

std::vector<std::int32_t> SpcmFrameRunLengths(const SpcmPatterns& patterns, std::int32_t syncSamples,
                                              std::int32_t pauseSamples) {
  const SpcmFrame frame = SpcmFrameSegments(patterns, syncSamples, pauseSamples, false);
  std::vector<std::int32_t> runs;
  std::int64_t ticks = 0;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    ticks += frame[i].ticks;
    // A run ends where the level changes, and with the frame.
    if (i + 1 == frame.size() || frame[i + 1].high != frame[i].high) {
      runs.push_back(static_cast<std::int32_t>(ticks / kTicksPerSample));
      ticks = 0;
    }
  }
  return runs;
}

SpcmSource::SpcmSource(SpcmSettings settings) : settings_(settings) {}

void SpcmSource::NextFrame() {
  std::array<std::int32_t, 8> positions = settings_.positions;
  if (settings_.sweep) {
    const double seconds = static_cast<double>(elapsedTicks_) / (kTicksPerSample * 48000.0);
    for (int i = 0; i < 8; ++i) positions[static_cast<std::size_t>(i)] = SweepPosition(i, seconds);
  }
  // Each frame goes on from the level the one before ended on (low before the first).
  const bool level = segments_.back().high;
  segments_ = SpcmFrameSegments(SpcmFramePatterns(SpcmFrameSymbols(positions)), settings_.syncSamples,
                                settings_.pauseSamples, level);
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
