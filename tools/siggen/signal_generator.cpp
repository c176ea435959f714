#include "siggen/signal_generator.h"

namespace corvane::siggen {

SignalGenerator::SignalGenerator(std::unique_ptr<SegmentSource> source, const Impairments& impairments)
    : source_(std::move(source)),
      renderer_(std::in_place, *source_, impairments.driftPpm),
      chain_(impairments) {}

SignalGenerator::SignalGenerator(const Pcm1024Settings& settings, const Impairments& impairments)
    : SignalGenerator(std::make_unique<Pcm1024Source>(settings), impairments) {}

SignalGenerator::SignalGenerator(const SpcmSettings& settings, const Impairments& impairments)
    : SignalGenerator(std::make_unique<SpcmSource>(settings), impairments) {}

namespace {

Impairments WithoutLowPass(Impairments impairments) {
  impairments.lowPassHz = 0.0;
  return impairments;
}

}  // namespace

SignalGenerator::SignalGenerator(const PpmSettings& settings, const Impairments& impairments)
    : edges_(std::make_unique<PpmEdgeSource>(settings)),
      bandLimited_(std::in_place, *edges_, impairments.lowPassHz, impairments.driftPpm),
      chain_(WithoutLowPass(impairments)) {}

void SignalGenerator::Generate(std::int16_t* out, std::size_t count) {
  if (bandLimited_) {
    for (std::size_t i = 0; i < count; ++i) out[i] = chain_.ApplyShaped(bandLimited_->Next());
    return;
  }
  for (std::size_t i = 0; i < count; ++i) out[i] = chain_.Apply(renderer_->Next());
}

std::vector<std::int16_t> SignalGenerator::Generate(std::size_t count) {
  std::vector<std::int16_t> samples(count);
  Generate(samples.data(), count);
  return samples;
}

}  // namespace corvane::siggen
