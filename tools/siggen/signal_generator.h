#pragma once
// A test signal of any format with its impairments, produced in pieces of any size.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "siggen/band_limited_edges.h"

#include "siggen/impairments.h"
#include "siggen/pcm1024_signal.h"
#include "siggen/ppm_signal.h"
#include "siggen/spcm_signal.h"
#include "siggen/waveform.h"

namespace corvane::siggen {

class SignalGenerator {
 public:
  SignalGenerator(const Pcm1024Settings& settings, const Impairments& impairments);
  SignalGenerator(const SpcmSettings& settings, const Impairments& impairments);
  // Edges at exact times, band-limited (the low-pass is part of each edge's shape).
  SignalGenerator(const PpmSettings& settings, const Impairments& impairments);
  // Any other signal, such as a chosen list of frames.
  SignalGenerator(std::unique_ptr<SegmentSource> source, const Impairments& impairments);

  // The next `count` samples of the signal.
  void Generate(std::int16_t* out, std::size_t count);
  std::vector<std::int16_t> Generate(std::size_t count);

 private:
  std::unique_ptr<SegmentSource> source_;
  std::optional<LevelRenderer> renderer_;
  std::unique_ptr<PpmEdgeSource> edges_;
  std::optional<BandLimitedEdges> bandLimited_;
  ImpairmentChain chain_;
};

}  // namespace corvane::siggen
