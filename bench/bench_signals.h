#pragma once
// The recorded-like signals the benchmarks decode.

#include <cstdint>
#include <vector>

#include "siggen/signal_generator.h"
#include "support/spcm_signal.h"

namespace corvane::bench_signals {

inline constexpr std::size_t kPcm1024Buffer = 1000;
inline constexpr std::size_t kPcm1024Buffers = 48;  // one second

// One second of PCM1024 with every channel sweeping, 25 dB SNR, AC coupling and drift.
inline const std::vector<std::int16_t>& NoisyPcm1024() {
  static const std::vector<std::int16_t> samples = [] {
    siggen::Pcm1024Settings settings;
    settings.sweep = true;
    siggen::Impairments impairments;
    impairments.snrDb = 25;
    impairments.highPassHz = 20;
    impairments.driftPpm = 1000;
    siggen::SignalGenerator generator(settings, impairments);
    return generator.Generate(kPcm1024Buffer * kPcm1024Buffers);
  }();
  return samples;
}

// A real SPCM signal: frames of varied positions, a 40-cell pause, noise at 20 dB SNR.
// Its runs are short (8 … 112 samples), so the slicer's level changes come often.
inline std::vector<std::int16_t> SpcmSignal() {
  std::vector<test_signal::SpcmSymbols> frames;
  for (int f = 0; f < 20; ++f) {
    test_signal::SpcmPositions p{};
    for (int k = 0; k < 8; ++k) p[k] = (f * 97 + k * 131 + 7) % 1024;
    frames.push_back(test_signal::SpcmFrameSymbols(p, static_cast<std::uint32_t>(f)));
  }
  auto wave = test_signal::SpcmWaveform(frames, {.pause_cells = 40, .noise_sigma = 1000.0, .seed = 3});
  wave.resize(wave.size() / 1000 * 1000);
  return wave;
}

}  // namespace corvane::bench_signals
