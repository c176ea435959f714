#include "siggen/impairments.h"

#include <cmath>
#include <numbers>

namespace corvane::siggen {

namespace {

constexpr double kRate = 48000.0;
constexpr std::int32_t kHumPeriod = 960;  // samples of one period of 50 Hz

// splitmix64: a small generator whose output is the same on every platform.
std::uint64_t NextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

ImpairmentChain::ImpairmentChain(const Impairments& impairments)
    : amplitude_(impairments.inverted ? -impairments.amplitude : impairments.amplitude),
      dcOffset_(impairments.dcOffset),
      humAmplitude_(impairments.humAmplitude),
      rng_(impairments.seed) {
  if (impairments.lowPassHz > 0) {
    lowPassGain_ = 1.0 - std::exp(-2.0 * std::numbers::pi * impairments.lowPassHz / kRate);
  }
  if (impairments.highPassHz > 0) {
    const double rc = 1.0 / (2.0 * std::numbers::pi * impairments.highPassHz);
    highPassGain_ = rc / (rc + 1.0 / kRate);
    highPass_ = true;
  }
  if (std::isfinite(impairments.snrDb)) {
    noiseSigma_ = std::abs(impairments.amplitude) / std::pow(10.0, impairments.snrDb / 20.0);
  }
}

double ImpairmentChain::Gaussian() {
  if (hasSpare_) {
    hasSpare_ = false;
    return spareGaussian_;
  }
  // Box-Muller on two uniforms in (0, 1].
  const double u1 = (static_cast<double>(NextRandom(rng_) >> 11) + 1.0) * 0x1.0p-53;
  const double u2 = static_cast<double>(NextRandom(rng_) >> 11) * 0x1.0p-53;
  const double r = std::sqrt(-2.0 * std::log(u1));
  spareGaussian_ = r * std::sin(2.0 * std::numbers::pi * u2);
  hasSpare_ = true;
  return r * std::cos(2.0 * std::numbers::pi * u2);
}

std::int16_t ImpairmentChain::Apply(bool high) {
  const double x = high ? amplitude_ : -amplitude_;
  if (!primed_) {
    // Start the filters settled on the first level instead of with a step from zero.
    lowPassed_ = x;
    highPassIn_ = x;
    primed_ = true;
  }
  lowPassed_ += lowPassGain_ * (x - lowPassed_);
  return Finish(lowPassed_);
}

std::int16_t ImpairmentChain::ApplyShaped(double level) {
  const double y = amplitude_ * level;
  if (!primed_) {
    highPassIn_ = y;
    primed_ = true;
  }
  return Finish(y);
}

std::int16_t ImpairmentChain::Finish(double y) {
  if (highPass_) {
    highPassOut_ = highPassGain_ * (highPassOut_ + y - highPassIn_);
    highPassIn_ = y;
    y = highPassOut_;
  }
  y += dcOffset_;
  if (humAmplitude_ > 0) {
    y += humAmplitude_ * std::sin(2.0 * std::numbers::pi * humPhase_ / kHumPeriod);
    humPhase_ = (humPhase_ + 1) % kHumPeriod;
  }
  if (noiseSigma_ > 0) y += noiseSigma_ * Gaussian();
  const double rounded = std::nearbyint(y);
  if (rounded >= 32767.0) return 32767;
  if (rounded <= -32768.0) return -32768;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace corvane::siggen
