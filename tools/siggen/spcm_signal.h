#pragma once
// The SPCM signal: a sync run, a lead-in transition, 30 symbols of 8 cells of 8 samples
// in which a 1 cell starts with a transition, then a pause before the next sync run.

#include <array>
#include <cstdint>
#include <vector>

#include "siggen/waveform.h"

namespace corvane::siggen {

inline constexpr std::int32_t kSpcmCellSamples = 8;
inline constexpr std::int64_t kSpcmCellTicks = kSpcmCellSamples * kTicksPerSample;
inline constexpr std::int32_t kSpcmSyncSamples = 20;
inline constexpr int kSpcmSymbols = 30;
// The sync run, the lead-in cell, the symbols' cells and the pause.
inline constexpr std::size_t kSpcmFrameSegments = 2 + 8 * kSpcmSymbols + 1;

using SpcmSymbols = std::array<std::uint8_t, kSpcmSymbols>;   // values 0 … 31
using SpcmPatterns = std::array<std::uint8_t, kSpcmSymbols>;  // 8-cell patterns as sent
using SpcmFrame = std::array<Segment, kSpcmFrameSegments>;

struct SpcmSettings {
  std::array<std::int32_t, 8> positions{512, 512, 512, 512, 512, 512, 512, 512};
  bool sweep = false;
  std::int32_t syncSamples = kSpcmSyncSamples;
  // Flat time after the last symbol; with the symbol's trailing cells it must stay
  // clear of the sync run's length (22 samples or more).
  std::int32_t pauseSamples = 80;
};

// The 30 symbol values of a frame carrying `positions`: each position split into its
// high and low 5 bits at its place in the frame. The symbols without a channel carry
// valid values that differ with `filler`.
SpcmSymbols SpcmFrameSymbols(const std::array<std::int32_t, 8>& positions, std::uint32_t filler = 0);

// The pattern each symbol is sent as.
SpcmPatterns SpcmFramePatterns(const SpcmSymbols& symbols);

// The segments of one frame of `patterns`, valid ones or not, after a signal at level
// `before`. The level toggles as the sync run starts, at the lead-in cell and at every
// 1 cell, and the pause keeps the last cell's level.
SpcmFrame SpcmFrameSegments(const SpcmPatterns& patterns, std::int32_t syncSamples, std::int32_t pauseSamples,
                            bool before);

// The runs in samples of that frame: the sync run, then one from each 1 cell to the
// next; the last one reaches to the end of the pause.
std::vector<std::int32_t> SpcmFrameRunLengths(const SpcmPatterns& patterns, std::int32_t syncSamples,
                                              std::int32_t pauseSamples);

// Endless frames. Which level a run has is of no meaning in this format.
class SpcmSource : public SegmentSource {
 public:
  explicit SpcmSource(SpcmSettings settings);
  Segment Next() override;

 private:
  void NextFrame();

  SpcmSettings settings_;
  SpcmFrame segments_{};
  std::size_t segment_ = segments_.size();
  std::int64_t frameTicks_ = 0;
  std::int64_t elapsedTicks_ = 0;
};

}  // namespace corvane::siggen
