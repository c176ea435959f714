#pragma once
// The slicer's per-sample arithmetic alone, without runs or decoders: the yardstick
// the full path is measured against.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>

namespace corvane {

// From the slicer's start values, over the samples.
inline void BareSlicerPass(std::span<const std::int16_t> samples) {
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

}  // namespace corvane
