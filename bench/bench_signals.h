#pragma once
// The recorded-like signals the benchmarks decode.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "siggen/signal_generator.h"
#include "siggen/spcm_recording.h"

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
  std::vector<siggen::SpcmSymbols> frames;
  for (int f = 0; f < 20; ++f) {
    std::array<std::int32_t, 8> p{};
    for (int k = 0; k < 8; ++k) p[k] = (f * 97 + k * 131 + 7) % 1024;
    frames.push_back(siggen::SpcmFrameSymbols(p, static_cast<std::uint32_t>(f)));
  }
  siggen::Impairments noise;
  noise.snrDb = 20;  // a noise sigma of 1000 against the amplitude of 10000
  noise.seed = 3;
  auto wave = siggen::SpcmRecording(frames, 40 * siggen::kSpcmCellSamples, noise);
  wave.resize(wave.size() / 1000 * 1000);
  return wave;
}

// One second of 8-channel PPM sweeping, AC-coupled, low-passed, at 30 dB SNR.
inline std::vector<std::int16_t> PpmSignal() {
  siggen::PpmSettings settings;
  settings.sweep = true;
  siggen::Impairments impairments;
  impairments.snrDb = 30;
  impairments.highPassHz = 60;
  impairments.lowPassHz = 10000;
  siggen::SignalGenerator generator(settings, impairments);
  return generator.Generate(48000);
}

// Decodes `wave` through `path` in buffers of 1000 samples, as captured (a last partial
// buffer is left out); returns how many buffers completed a frame.
inline long DecodeInBuffers(const std::vector<std::int16_t>& wave, TInputControl& rx, SignalPath& path) {
  long buffersWithFrame = 0;
  for (std::size_t pos = 0; pos + 1000 <= wave.size(); pos += 1000) {
    std::copy_n(wave.begin() + static_cast<long>(pos), 1000, rx.Samples);
    rx.FrameDecoded = false;
    path.Slice(rx, 1000);
    buffersWithFrame += rx.FrameDecoded ? 1 : 0;
  }
  return buffersWithFrame;
}

}  // namespace corvane::bench_signals
