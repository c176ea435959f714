// The PPM decoder's cost: samples per second through the signal path in PPM mode, in
// 1000-sample buffers as captured. real_time_factor is how many times faster than the
// 48 000 samples per second of a live capture that is.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "decode/input_control.h"
#include "decode/signal_formats.h"
#include "decode/signal_path.h"
#include "siggen/signal_generator.h"

namespace corvane {
namespace {

// One second of 8-channel PPM sweeping, AC-coupled, low-passed, at 30 dB SNR.
std::vector<std::int16_t> PpmSignal() {
  siggen::PpmSettings settings;
  settings.sweep = true;
  siggen::Impairments impairments;
  impairments.snrDb = 30;
  impairments.highPassHz = 60;
  impairments.lowPassHz = 10000;
  siggen::SignalGenerator generator(settings, impairments);
  return generator.Generate(48000);
}

void BM_SliceAndDecodePpmSignal(benchmark::State& state) {
  const auto wave = PpmSignal();
  auto rx = CreateInputControl();
  rx->Mode = kModePpm;
  SignalPath path;
  long buffersWithFrame = 0;
  for (auto _ : state) {
    for (std::size_t pos = 0; pos < wave.size(); pos += 1000) {
      std::copy_n(wave.begin() + static_cast<long>(pos), 1000, rx->Samples);
      rx->FrameDecoded = false;
      path.Slice(*rx, 1000);
      buffersWithFrame += rx->FrameDecoded ? 1 : 0;
    }
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
