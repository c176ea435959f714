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

  // Edge timing state; it persists across calls and buffers and is never reset.
  static constexpr int kHistory = 32;  // samples kept for timing an edge (a power of 2)
  std::int32_t history[kHistory] = {};
  std::int64_t sampleIndex = 0;  // of the next sample
  double swing = 0.0;            // the size of recent edges' steps
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

  // Returns true when the sample ended a frame (then `result` tells how).
  bool Step(TInputControl& receiver, std::int32_t x, PpmFrameResult& result);
  TimedEdge TimeEdge() const;
  // When the edge around step j to j + 1 crosses `level`, in samples; NaN if it does not.
  double Crossing(std::int64_t j, double level) const;
  std::int32_t At(std::int64_t index) const { return history[index & (kHistory - 1)]; }
};

template <class Sink>
void PpmDecoder::Decode(TInputControl& receiver, const std::int16_t* samples, int count, Sink& sink) {
  PpmFrameResult result;
  for (int i = 0; i < count; ++i) {
    if (Step(receiver, samples[i], result)) sink.OnPpmFrame(result, frames);
  }
}

inline void PpmDecoder::Decode(TInputControl& receiver, const std::int16_t* samples, int count) {
  NoSink none;
  Decode(receiver, samples, count, none);
}

}  // namespace corvane
