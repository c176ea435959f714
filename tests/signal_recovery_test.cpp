// Hours of what a loose cable or a wrong level gives, through the slicer and both decoders:
// flat input, full-scale noise, 40 dB jumps in level. Whatever came before, decoding must
// pick up a clean signal within half a second (24 buffers) of its return.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "siggen/signal_generator.h"

namespace corvane {
namespace {

using Positions = std::array<std::int32_t, 8>;

constexpr int kBufferSamples = 1000;
constexpr int kBuffersPerSecond = 48;
constexpr int kRecoveryBuffers = 24;
constexpr Positions kBefore = {100, 200, 300, 400, 600, 700, 800, 900};
constexpr Positions kAfter = {0, 1023, 100, 900, 512, 511, 333, 777};

constexpr std::int64_t kFlatSeconds = 3600;

class Receiver {
 public:
  explicit Receiver(std::int32_t mode) { rx_->Mode = mode; }

  // `seconds` of one constant sample value.
  void Flat(std::int64_t seconds, std::int16_t value) {
    std::fill(rx_->Samples, rx_->Samples + kBufferSamples, value);
    for (std::int64_t b = 0; b < seconds * kBuffersPerSecond; ++b) path_.Slice(*rx_, kBufferSamples);
  }

  // `seconds` of white noise over the whole 16-bit range.
  void Noise(int seconds) {
    for (int b = 0; b < seconds * kBuffersPerSecond; ++b) {
      for (std::int16_t& s : std::span(rx_->Samples, kBufferSamples)) {
        rng_ ^= rng_ << 13, rng_ ^= rng_ >> 7, rng_ ^= rng_ << 17;
        s = static_cast<std::int16_t>(rng_ >> 48);
      }
      path_.Slice(*rx_, kBufferSamples);
    }
  }

  // A clean signal of this receiver's format carrying `positions` at peak level
  // `amplitude`: the number of buffers until one decodes a frame and leaves every
  // position right, counted from 1; 0 if none does within `maxBuffers`.
  int Signal(const Positions& positions, double amplitude, int maxBuffers) {
    siggen::Impairments impairments;
    impairments.amplitude = amplitude;
    std::unique_ptr<siggen::SignalGenerator> generator;
    if (rx_->Mode == 0) {
      siggen::Pcm1024Settings settings;
      settings.positions = positions;
      generator = std::make_unique<siggen::SignalGenerator>(settings, impairments);
    } else {
      siggen::SpcmSettings settings;
      settings.positions = positions;
      generator = std::make_unique<siggen::SignalGenerator>(settings, impairments);
    }
    for (int b = 1; b <= maxBuffers; ++b) {
      generator->Generate(rx_->Samples, kBufferSamples);
      rx_->FrameDecoded = false;
      path_.Slice(*rx_, kBufferSamples);
      if (rx_->FrameDecoded && std::equal(positions.begin(), positions.end(), rx_->Channels.positions)) return b;
    }
    return 0;
  }

 private:
  std::unique_ptr<TInputControl> rx_ = CreateInputControl();
  SignalPath path_;
  std::uint64_t rng_ = 0x9E3779B97F4A7C15u;
};

struct Junk {
  const char* name;
  void (*feed)(Receiver&);
  double amplitudeBefore, amplitudeAfter;
};

TEST(SignalRecovery, DecodingResumesWithinHalfASecondOfACleanSignal) {
  const Junk cases[] = {
      {"an hour of silence", [](Receiver& r) { r.Flat(kFlatSeconds, 0); }, 10000, 10000},
      {"ten minutes at the negative rail", [](Receiver& r) { r.Flat(kFlatSeconds / 6, -32768); }, 10000, 10000},
      {"a second of full-scale noise", [](Receiver& r) { r.Noise(1); }, 10000, 10000},
      {"a jump down by 40 dB", [](Receiver&) {}, 20000, 200},
      {"a jump up by 40 dB", [](Receiver&) {}, 200, 20000},
  };
  for (std::int32_t mode : {0, 1}) {
    for (const Junk& junk : cases) {
      SCOPED_TRACE(std::string(mode == 0 ? "PCM1024 after " : "SPCM after ") + junk.name);
      Receiver receiver(mode);
      ASSERT_GT(receiver.Signal(kBefore, junk.amplitudeBefore, kBuffersPerSecond), 0);
      junk.feed(receiver);
      const int buffers = receiver.Signal(kAfter, junk.amplitudeAfter, 10 * kBuffersPerSecond);
      EXPECT_GT(buffers, 0) << "not within 10 s";
      EXPECT_LE(buffers, kRecoveryBuffers);
    }
  }
}

}  // namespace
}  // namespace corvane
