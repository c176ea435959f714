#pragma once
// The SPCM signal: a sync run, a lead-in transition, 30 symbols of 8 cells of 8 samples
// in which a 1 cell starts with a transition, then a pause before the next sync run.

#include <array>
#include <cstdint>

#include "siggen/waveform.h"

namespace corvane::siggen {

inline constexpr std::int64_t kSpcmCellTicks = 8 * kTicksPerSample;
inline constexpr int kSpcmSymbols = 30;

struct SpcmSettings {
  std::array<std::int32_t, 8> positions{512, 512, 512, 512, 512, 512, 512, 512};
  bool sweep = false;
  std::int32_t syncSamples = 20;
  // Flat time after the last symbol; with the symbol's trailing cells it must stay
  // clear of the sync run's length (22 samples or more).
  std::int32_t pauseSamples = 80;
};

// The 30 symbol values of a frame carrying `positions`: each position split into its
// high and low 5 bits at its place in the frame, filler symbols elsewhere.
std::array<std::uint8_t, kSpcmSymbols> SpcmFrameSymbols(const std::array<std::int32_t, 8>& positions);

// Endless frames. The level toggles at every transition; which level a run has is
// of no meaning in this format.
class SpcmSource : public SegmentSource {
 public:
  explicit SpcmSource(SpcmSettings settings);
  Segment Next() override;

 private:
  void NextFrame();

  SpcmSettings settings_;
  // Segment lengths of one frame: sync run, lead-in and symbol cells, pause.
  std::array<Segment, 2 + 8 * kSpcmSymbols + 1> segments_{};
  std::size_t segment_ = segments_.size();
  std::int64_t frameTicks_ = 0;
  std::int64_t elapsedTicks_ = 0;
  bool level_ = false;
};

}  // namespace corvane::siggen
