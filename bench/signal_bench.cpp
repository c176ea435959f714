// Slicing throughput, in samples per second, against a bare loop that runs only the
// slicer's arithmetic over the same samples.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "decode/input_control.h"
#include "decode/signal_path.h"

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
  for (auto _ : state) {
    double m = 0, up = 32767, lo = -32768, sw = 16384, th = 0;
    bool h = false;
    for (std::int16_t s : samples) {
      const double x = s;
      m = m * 0.999 + x * 0.001;
      sw = sw * 0.999 + (up - lo) * 0.001;
      up = (up - m) * 0.95 + m;
      lo = (lo - m) * 0.95 + m;
      if (x > up) up = x; else if (x < lo) lo = x;
      if (h) { th = th * 0.9 + (up - sw) * 0.1; h = !(x < th); }
      else { th = th * 0.9 + (lo + sw) * 0.1; h = x > th; }
    }
    benchmark::DoNotOptimize(th);
    benchmark::DoNotOptimize(h);
  }
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

}  // namespace
}  // namespace corvane
