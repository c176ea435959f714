#pragma once
// Decoder of PPM from the samples themselves. Each edge is timed to a fraction of a
// sample from the band-limited samples around it, half way between the levels on its
// two sides, so the positions do not jitter with the sampling grid; PpmFrames turns the
// edges into frames.

#include <cstdint>

#include "decode/input_control.h"
#include "decode/ppm_frames.h"

namespace corvane {

class PpmDecoder {
 public:
  // Decodes samples[0 … count-1], the continuation of every sample before. For each
  // frame it finishes it calls sink.OnPpmFrame(result, frames), frames describing it.
  template <class Sink>
  void Decode(TInputControl& receiver, const std::int16_t* samples, int count, Sink& sink);
  void Decode(TInputControl& receiver, const std::int16_t* samples, int count);

  PpmFrames frames;

  // The smallest step taken for an edge (a signal of about -44 dBFS peak), so that the
  // noise of a silent input makes none.
  static constexpr std::int32_t kSmallestStep = 400;

  // Edge timing state; it persists across calls and buffers and is never reset.
  static constexpr int kHistory = 32;  // samples kept for timing an edge (a power of 2)
  std::int32_t history[kHistory] = {};
  std::int64_t sampleIndex = 0;            // of the next sample
  double swing = 0.0;                      // the size of recent edges' steps
  std::int32_t threshold = kSmallestStep;  // the difference that makes an edge (SetSwing)
  // The last sample of the gap after the latest edge: until then no frame can end.
  std::int64_t quietUntil = static_cast<std::int64_t>(PpmFrames::kGapSamples);
  // An edge being passed: its direction, and its steepest difference and where.
  bool inEdge = false;
  bool edgeRising = false;
  std::int32_t edgePeak = 0;
  std::int64_t edgePeakAt = 0;
  // Passed and waiting for the samples after it before it is timed.
  bool edgePending = false;

  bool operator==(const PpmDecoder&) const = default;

 private:
  struct NoSink {
    void OnPpmFrame(PpmFrameResult, const PpmFrames&) {}
  };
  struct TimedEdge {
    double time;  // in samples since the start
    double step;  // between the levels before and after
  };

  void SetSwing(double value);
  // An edge is a rise or fall of the signal within kEdgeSpan samples of at least half
  // the size of the recent edges' steps (threshold), and at least kSmallestStep.
  static constexpr int kEdgeSpan = 3;
  // The step size forgets a little at every kSwingDecayEvery-th sample, counted from the
  // start, so the way the samples are handed over changes nothing.
  static constexpr int kSwingDecayEvery = 64;
  // An edge is timed once this many samples after its steepest difference are in.
  static constexpr int kSamplesAfterEdge = 9;

  // Whether sample n, whose difference over kEdgeSpan samples is `difference`, needs
  // Step: the rest leave every state but the history alone. Inline, so most samples
  // cost a few integer operations.
  bool Quiet(std::int64_t n, std::int32_t difference) const {
    if (inEdge || n > quietUntil || n % kSwingDecayEvery == 0) return false;
    // A passed edge waits for the samples after it; meanwhile no edge begins.
    if (edgePending) return n < edgePeakAt + kSamplesAfterEdge;
    return (difference < 0 ? -difference : difference) < threshold;
  }
  // Returns true when the sample ended a frame (then `result` tells how).
  bool Step(TInputControl& receiver, std::int64_t n, std::int32_t difference, PpmFrameResult& result);
  // `exact`: to a small fraction of a sample; else roughly, for the gaps alone.
  TimedEdge TimeEdge(bool exact) const;
  // When the edge around step j to j + 1 crosses `level`, in samples; NaN if it does not.
  double Crossing(std::int64_t j, double level, bool exact) const;
  std::int32_t At(std::int64_t index) const { return history[index & (kHistory - 1)]; }
};

template <class Sink>
void PpmDecoder::Decode(TInputControl& receiver, const std::int16_t* samples, int count, Sink& sink) {
  PpmFrameResult result;
  for (int i = 0; i < count; ++i) {
    const std::int64_t n = sampleIndex++;
    const std::int32_t x = samples[i];
    history[n & (kHistory - 1)] = x;
    const std::int32_t difference = n >= kEdgeSpan ? x - At(n - kEdgeSpan) : 0;
    if (Quiet(n, difference)) continue;
    if (Step(receiver, n, difference, result)) sink.OnPpmFrame(result, frames);
  }
}

inline void PpmDecoder::Decode(TInputControl& receiver, const std::int16_t* samples, int count) {
  NoSink none;
  Decode(receiver, samples, count, none);
}

}  // namespace corvane
