#pragma once
// Builders of SPCM test signals: the symbols of a frame from its channel positions, the
// run lengths of a cell stream, and sampled waveforms, clean or with noise.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "decode/spcm_tables.h"

namespace corvane::test_signal {

constexpr int kCellSamples = 8;
constexpr int kSyncSamples = 20;
constexpr int kFrameSymbols = 30;

using SpcmSymbols = std::array<std::int32_t, kFrameSymbols>;
using SpcmPositions = std::array<std::int32_t, 8>;

// The 30 symbols of a frame carrying `positions` (each 0 … 1023). The symbols that carry
// no channel get values from `filler`, a different mix for each filler.
inline SpcmSymbols SpcmFrameSymbols(const SpcmPositions& positions, std::uint32_t filler = 0) {
  SpcmSymbols symbols{};
  for (int i = 0; i < kFrameSymbols; ++i) symbols[i] = static_cast<std::int32_t>((filler * 13 + i * 7 + 3) % 32);
  for (int k = 0; k < 8; ++k) {
    symbols[kSpcmHighSymbolOfPosition[k]] = positions[k] / 32;
    symbols[kSpcmHighSymbolOfPosition[k] + 1] = positions[k] % 32;
  }
  return symbols;
}

inline std::vector<std::uint8_t> SpcmPatterns(const SpcmSymbols& symbols) {
  std::vector<std::uint8_t> patterns;
  for (std::int32_t value : symbols) patterns.push_back(kSpcmSymbolPatterns[value]);
  return patterns;
}

// The cell stream of a frame after its sync run: the lead-in 1 cell, then the patterns'
// cells, oldest first.
inline std::vector<bool> SpcmCells(const std::vector<std::uint8_t>& patterns) {
  std::vector<bool> cells{true};
  for (std::uint8_t pattern : patterns) {
    for (int bit = 7; bit >= 0; --bit) cells.push_back(((pattern >> bit) & 1) != 0);
  }
  return cells;
}

// Run lengths in samples of the lead-in cell followed by `patterns`: each run is the
// distance in cells from one 1 cell to the next, times 8; the last run reaches from the
// last 1 cell to the end of the stream and `extra_cells` beyond.
inline std::vector<std::int32_t> CellRunLengths(const std::vector<std::uint8_t>& patterns, int extra_cells = 0) {
  const std::vector<bool> cells = SpcmCells(patterns);
  std::vector<std::int32_t> runs;
  std::int32_t length = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i] && i > 0) {
      runs.push_back(length * kCellSamples);
      length = 0;
    }
    ++length;
  }
  runs.push_back((length + extra_cells) * kCellSamples);
  return runs;
}

// Gaussian noise from a fixed generator, the same on every platform.
class Noise {
 public:
  Noise(double sigma, std::uint64_t seed) : sigma_(sigma), rng_(seed) {}
  double Next() {
    if (sigma_ == 0.0) return 0.0;
    const double u1 = (static_cast<double>(rng_() >> 11) + 1.0) * 0x1.0p-53;  // (0, 1]
    const double u2 = static_cast<double>(rng_() >> 11) * 0x1.0p-53;
    return sigma_ * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

 private:
  double sigma_;
  std::mt19937_64 rng_;
};

struct SpcmWaveOptions {
  int pause_cells = 40;           // cells without transition after each frame's last symbol
  double amplitude = 10000.0;     // the two levels are ±amplitude
  double noise_sigma = 0.0;       // standard deviation of added Gaussian noise
  std::uint64_t seed = 1;
};

// A sampled SPCM signal: every frame is a transition, the sync run of 20 samples, then its
// cells of 8 samples (a 1 cell begins with a transition), then the pause. A lead of flat
// signal comes first and a final transition ends the last run.
inline std::vector<std::int16_t> SpcmWaveform(const std::vector<SpcmSymbols>& frames,
                                              const SpcmWaveOptions& options = {}) {
  Noise noise(options.noise_sigma, options.seed);
  std::vector<std::int16_t> wave;
  bool high = false;
  auto emit = [&](int count) {
    for (int i = 0; i < count; ++i) {
      const double x = (high ? options.amplitude : -options.amplitude) + noise.Next();
      wave.push_back(static_cast<std::int16_t>(std::clamp(std::lround(x), -32768L, 32767L)));
    }
  };
  emit(400);
  for (const SpcmSymbols& symbols : frames) {
    high = !high;
    emit(kSyncSamples);
    for (bool cell : SpcmCells(SpcmPatterns(symbols))) {
      if (cell) high = !high;
      emit(kCellSamples);
    }
    emit(options.pause_cells * kCellSamples);
  }
  high = !high;
  emit(kCellSamples);
  return wave;
}

}  // namespace corvane::test_signal
