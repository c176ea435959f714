#pragma once
// A test signal of either format with its impairments, produced in pieces of any size.

#include <cstdint>
#include <memory>
#include <vector>

#include "siggen/impairments.h"
#include "siggen/pcm1024_signal.h"
#include "siggen/spcm_signal.h"
#include "siggen/waveform.h"

namespace corvane::siggen {

class SignalGenerator {
 public:
  SignalGenerator(const Pcm1024Settings& settings, const Impairments& impairments);
  SignalGenerator(const SpcmSettings& settings, const Impairments& impairments);
  // Any other signal, such as a chosen list of frames.
  SignalGenerator(std::unique_ptr<SegmentSource> source, const Impairments& impairments);

  // The next `count` samples of the signal.
  void Generate(std::int16_t* out, std::size_t count);
  std::vector<std::int16_t> Generate(std::size_t count);

 private:
  std::unique_ptr<SegmentSource> source_;
  LevelRenderer renderer_;
  ImpairmentChain chain_;
};

}  // namespace corvane::siggen
