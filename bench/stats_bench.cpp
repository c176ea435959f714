// What corvane-decode --stats costs: slicing and decoding with every sample and run
// counted and the other format's shadow decoder fed every run (stats:1), against the
// plain path in the same program (stats:0). A program of its own, so that the plain
// path of the other benchmarks is compiled as in the tray program, without the counting.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/bench_signals.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "decode/signal_stats.h"

namespace corvane {
namespace {

// In 1000-sample buffers as ProcessBuffer slices them.
void SliceBuffers(benchmark::State& state, const std::vector<std::int16_t>& wave, std::int32_t mode) {
  auto rx = CreateInputControl();
  rx->Mode = mode;
  SignalPath path;
  SignalStatsCollector stats;
  if (state.range(0) != 0) path.counter = &stats;
  long decoded = 0;
  for (auto _ : state) {
    for (std::size_t pos = 0; pos + 1000 <= wave.size(); pos += 1000) {
      std::copy_n(wave.begin() + static_cast<long>(pos), 1000, rx->Samples);
      rx->FrameDecoded = false;
      path.Slice(*rx, 1000);
      decoded += rx->FrameDecoded ? 1 : 0;
    }
    benchmark::DoNotOptimize(rx->Channels);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(wave.size()));
  state.counters["decoded_buffers"] = static_cast<double>(decoded) / static_cast<double>(state.iterations());
}

void BM_Pcm1024Stats(benchmark::State& state) { SliceBuffers(state, bench_signals::NoisyPcm1024(), 0); }
BENCHMARK(BM_Pcm1024Stats)->ArgName("stats")->Arg(0)->Arg(1);

void BM_SpcmStats(benchmark::State& state) {
  static const std::vector<std::int16_t> wave = bench_signals::SpcmSignal();
  SliceBuffers(state, wave, 1);
}
BENCHMARK(BM_SpcmStats)->ArgName("stats")->Arg(0)->Arg(1);

}  // namespace
}  // namespace corvane
