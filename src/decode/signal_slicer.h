#pragma once
// Turns 16-bit samples back into the pulse train the transmitter sent: level trackers,
// an adaptive threshold with hysteresis, and a counter of samples on one side.

#include <cstdint>
#include <limits>

#include "decode/input_control.h"

namespace corvane {

class SignalSlicer {
 public:
  double mean = 0.0;
  double upper = 32767.0;
  double lower = -32768.0;
  double swing = 16384.0;
  double threshold = 0.0;
  bool high = false;
  std::int32_t run = 0;  // +n after n high samples, -n after n low samples

  // Slices samples 0 … count-1 of the receiver's sample copy and hands every completed
  // run to sink.DecodeRun(receiver, length, level), level 1 for a high run.
  template <class Sink>
  void Slice(TInputControl& receiver, int count, Sink& sink);

 private:
  // A run of one level saturates here, so its length always fits and can be negated.
  static constexpr std::int32_t kRunBound = std::numeric_limits<std::int32_t>::max();
};

template <class Sink>
void SignalSlicer::Slice(TInputControl& receiver, int count, Sink& sink) {
  // Work on locals so the compiler keeps the trackers in registers across the loop.
  double m = mean, up = upper, lo = lower, sw = swing, th = threshold;
  bool h = high;
  std::int32_t r = run;
  const std::int16_t* samples = receiver.Samples;
  for (int i = 0; i < count; ++i) {
    const double x = samples[i];
    m = m * 0.999 + x * 0.001;
    sw = sw * 0.999 + (up - lo) * 0.001;
    up = (up - m) * 0.95 + m;
    lo = (lo - m) * 0.95 + m;
    if (x > up) {
      up = x;
    } else if (x < lo) {
      lo = x;
    }
    if (h) {
      th = th * 0.9 + (up - sw) * 0.1;
      if (x < th) h = false;
    } else {
      th = th * 0.9 + (lo + sw) * 0.1;
      if (x > th) h = true;
    }
    if (h) {
      if (r < 0) {
        sink.DecodeRun(receiver, -r, 0);
        r = 0;
      }
      if (r < kRunBound) ++r;
    } else {
      if (r > 0) {
        sink.DecodeRun(receiver, r, 1);
        r = 0;
      }
      if (r > -kRunBound) --r;
    }
  }
  mean = m, upper = up, lower = lo, swing = sw, threshold = th, high = h, run = r;
}

}  // namespace corvane
