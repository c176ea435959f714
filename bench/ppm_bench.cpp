// The PPM decoder's cost: samples per second through the signal path in PPM mode, in
// 1000-sample buffers as captured. real_time_factor is how many times faster than the
// 48 000 samples per second of a live capture that is.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_signals.h"
#include "decode/input_control.h"
#include "decode/signal_formats.h"
#include "decode/signal_path.h"

namespace corvane {
namespace {

void BM_SliceAndDecodePpmSignal(benchmark::State& state) {
  const auto wave = bench_signals::PpmSignal();
  auto rx = CreateInputControl();
  rx->Mode = kModePpm;
  SignalPath path;
  long buffersWithFrame = 0;
  for (auto _ : state) {
    buffersWithFrame += bench_signals::DecodeInBuffers(wave, *rx, path);
    benchmark::DoNotOptimize(rx->Channels);
  }
  const double samples = static_cast<double>(state.iterations()) * static_cast<double>(wave.size());
  state.SetItemsProcessed(static_cast<long>(samples));
  state.counters["buffers_with_frame_per_pass"] =
      static_cast<double>(buffersWithFrame) / static_cast<double>(state.iterations());
  state.counters["real_time_factor"] = benchmark::Counter(samples / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SliceAndDecodePpmSignal);

}  // namespace
}  // namespace corvane
