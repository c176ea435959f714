#pragma once
// What the way from the transmitter to the sound card does to a clean two-level signal.

#include <cstdint>
#include <limits>

namespace corvane::siggen {

struct Impairments {
  double amplitude = 10000.0;  // peak level of the clean signal
  double dcOffset = 0.0;
  double humAmplitude = 0.0;   // peak level of a 50 Hz mains hum; 0 = none
  double highPassHz = 0.0;     // first-order high-pass (AC coupling); 0 = none
  double lowPassHz = 0.0;      // first-order low-pass; 0 = none
  // White Gaussian noise against the clean signal's power (amplitude squared), in dB.
  double snrDb = std::numeric_limits<double>::infinity();
  std::uint64_t seed = 1;
  double driftPpm = 0.0;       // applied while rendering: see LevelRenderer
  bool inverted = false;
};

// Turns a level per sample into a 16-bit sample: amplitude and polarity, low-pass,
// high-pass, DC offset, hum, noise, then rounding and clipping.
class ImpairmentChain {
 public:
  explicit ImpairmentChain(const Impairments& impairments);
  std::int16_t Apply(bool high);
  // A level already shaped (-1 … +1, band-limited): everything but the low-pass.
  std::int16_t ApplyShaped(double level);

 private:
  double Gaussian();
  std::int16_t Finish(double y);  // high-pass, DC, hum, noise, rounding

  double amplitude_;
  double dcOffset_;
  double humAmplitude_;
  std::int32_t humPhase_ = 0;  // samples into the hum's period
  double lowPassGain_ = 1.0;   // 1 passes everything
  double highPassGain_ = 1.0;  // 1 blocks nothing
  bool highPass_ = false;
  double noiseSigma_ = 0.0;
  std::uint64_t rng_;
  double lowPassed_ = 0.0;
  double highPassIn_ = 0.0;
  double highPassOut_ = 0.0;
  bool primed_ = false;
  double spareGaussian_ = 0.0;
  bool hasSpare_ = false;
};

}  // namespace corvane::siggen
