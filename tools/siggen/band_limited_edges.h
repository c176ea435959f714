#pragma once
// A two-level signal with edges at exact real times, sampled at 48 000 per second the
// way a sound card's converter does: each edge is a step through an optional
// first-order low-pass (the input's) and a windowed-sinc low-pass at 0.45 of the sample
// rate (the converter's anti-alias filter), so a sample carries where between two
// samples the edge lay.

#include <cstdint>
#include <deque>
#include <vector>

#include "siggen/ppm_signal.h"

namespace corvane::siggen {

// The response to a unit step at time 0, in samples.
class BandLimitedStep {
 public:
  static constexpr int kHalfWidth = 32;        // samples of the sinc on each side
  static constexpr int kStepsPerSample = 256;  // of the table

  explicit BandLimitedStep(double lowPassHz);  // 0 = no input low-pass
  double At(double t) const;
  // For t past kHalfWidth, 1 - Tail() × exp(-(t - kHalfWidth) / tau).
  double Tail() const { return tail_; }
  double TailDecayPerSample() const { return decay_; }  // exp(-1 / tau), 0 without low-pass

 private:
  std::vector<double> table_;  // from -kHalfWidth to +kHalfWidth
  double tail_ = 0.0;
  double decay_ = 0.0;
};

// Samples of the signal -1 (between pulses) and +1 (in a pulse), band-limited. A drift
// of +ppm makes every time that many millionths longer.
class BandLimitedEdges {
 public:
  BandLimitedEdges(PpmEdgeSource& source, double lowPassHz, double driftPpm);
  double Next();  // the next sample

 private:
  struct PlacedEdge {
    double time;   // in samples
    double delta;  // +2 rising, -2 falling
  };

  PpmEdgeSource& source_;
  BandLimitedStep step_;
  double stretch_;
  std::int64_t sample_ = 0;
  double settled_ = -1.0;  // the level after every edge that left the window
  double tail_ = 0.0;      // what those edges still lack of their level (low-pass)
  std::deque<PlacedEdge> window_;
  PlacedEdge next_;
};

}  // namespace corvane::siggen
