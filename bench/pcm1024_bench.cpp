// Slicing and decoding one second of a noisy PCM1024 signal, buffer by buffer as the
// program does, against the bare slicer arithmetic over the same samples.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bare_slicer.h"
#include "bench/bench_signals.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"

namespace corvane {
namespace {

using bench_signals::NoisyPcm1024;
constexpr std::size_t kBuffer = bench_signals::kPcm1024Buffer;
constexpr std::size_t kBuffers = bench_signals::kPcm1024Buffers;

void BM_Pcm1024BareSlicerArithmetic(benchmark::State& state) {
  const auto& samples = NoisyPcm1024();
  for (auto _ : state) BareSlicerPass(samples);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(samples.size()));
}
BENCHMARK(BM_Pcm1024BareSlicerArithmetic);

void BM_Pcm1024SliceAndDecode(benchmark::State& state) {
  const auto& samples = NoisyPcm1024();
  auto rx = CreateInputControl();
  SignalPath path;
  long frames = 0;
  for (auto _ : state) {
    // As ProcessBuffer does: each buffer is copied into the sample copy, then sliced.
    for (std::size_t b = 0; b < kBuffers; ++b) {
      std::memcpy(rx->Samples, samples.data() + b * kBuffer, kBuffer * sizeof(std::int16_t));
      rx->FrameDecoded = false;
      path.Slice(*rx, static_cast<int>(kBuffer));
      frames += rx->FrameDecoded;
    }
    benchmark::DoNotOptimize(rx->Channels);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(samples.size()));
  state.counters["decoded_buffers"] =
      benchmark::Counter(static_cast<double>(frames) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Pcm1024SliceAndDecode);

}  // namespace
}  // namespace corvane
