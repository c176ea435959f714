// Slicing throughput, in samples per second, against a bare loop that runs only the
// slicer's arithmetic over the same samples.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

#include "bench/bare_slicer.h"
#include "bench/bench_signals.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "siggen/spcm_signal.h"

namespace corvane {
namespace {

// A pulse train of 7 … 60 samples per run with noise: a clean square wave would
// flatter the branch predictor.
std::vector<std::int16_t> NoisyPulses(std::size_t count) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> width(7, 60);
  std::normal_distribution<double> noise(0.0, 800.0);
  std::vector<std::int16_t> samples;
  bool high = true;
  while (samples.size() < count) {
    for (int i = width(rng); i > 0 && samples.size() < count; --i) {
      samples.push_back(static_cast<std::int16_t>((high ? 12000 : -12000) + noise(rng)));
    }
    high = !high;
  }
  return samples;
}

void BM_BareSlicerArithmetic(benchmark::State& state) {
  const auto samples = NoisyPulses(1000);
  for (auto _ : state) BareSlicerPass(samples);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(samples.size()));
}
BENCHMARK(BM_BareSlicerArithmetic);

void BM_SliceAndDecode(benchmark::State& state) {
  const auto samples = NoisyPulses(1000);
  auto rx = CreateInputControl();
  rx->Mode = static_cast<std::int32_t>(state.range(0));
  std::copy(samples.begin(), samples.end(), rx->Samples);
  SignalPath path;
  for (auto _ : state) {
    path.Slice(*rx, static_cast<int>(samples.size()));
    benchmark::DoNotOptimize(rx->Channels);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(samples.size()));
}
BENCHMARK(BM_SliceAndDecode)->Arg(0)->Arg(1);

using bench_signals::SpcmSignal;

void BM_BareSlicerArithmeticSpcmSignal(benchmark::State& state) {
  const auto samples = SpcmSignal();
  for (auto _ : state) BareSlicerPass(samples);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(samples.size()));
}
BENCHMARK(BM_BareSlicerArithmeticSpcmSignal);

// The same signal sliced and decoded in mode 1, in 1000-sample buffers as captured.
void BM_SliceAndDecodeSpcmSignal(benchmark::State& state) {
  const auto wave = SpcmSignal();
  auto rx = CreateInputControl();
  rx->Mode = 1;
  SignalPath path;
  long frames_decoded = 0;
  for (auto _ : state) {
    frames_decoded += bench_signals::DecodeInBuffers(wave, *rx, path);
    benchmark::DoNotOptimize(rx->Channels);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(wave.size()));
  state.counters["frames_per_pass"] = static_cast<double>(frames_decoded) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SliceAndDecodeSpcmSignal);

// The decoder alone over the runs of the same frames: cost per run.
void BM_SpcmDecodeRuns(benchmark::State& state) {
  std::vector<std::int32_t> runs;
  for (int f = 0; f < 20; ++f) {
    std::array<std::int32_t, 8> p{};
    for (int k = 0; k < 8; ++k) p[k] = (f * 97 + k * 131 + 7) % 1024;
    const auto patterns = siggen::SpcmFramePatterns(siggen::SpcmFrameSymbols(p, static_cast<std::uint32_t>(f)));
    const auto frame = siggen::SpcmFrameRunLengths(patterns, siggen::kSpcmSyncSamples, 40 * siggen::kSpcmCellSamples);
    runs.insert(runs.end(), frame.begin(), frame.end());
  }
  auto rx = CreateInputControl();
  SpcmDecoder decoder;
  for (auto _ : state) {
    for (std::int32_t run : runs) decoder.DecodeRun(*rx, run, 0);
    benchmark::DoNotOptimize(rx->Channels);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(runs.size()));
}
BENCHMARK(BM_SpcmDecodeRuns);

}  // namespace
}  // namespace corvane
