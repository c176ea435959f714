#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "siggen/signal_generator.h"

namespace corvane {
namespace {

using siggen::Impairments;
using siggen::Pcm1024Settings;
using siggen::SignalGenerator;

constexpr std::array<std::int32_t, 8> kPositions = {0, 1023, 100, 900, 512, 511, 333, 777};

// Slices `seconds` of the signal in buffers of 1000 samples and counts the buffers in
// which no frame was decoded, after the first five (the slicer's swing settles from its
// start value within about 0.1 s).
int DecodeSignal(SignalGenerator& generator, TInputControl& rx, double seconds) {
  SignalPath path;
  int missed = 0;
  const int buffers = static_cast<int>(seconds * 48);
  for (int b = 0; b < buffers; ++b) {
    generator.Generate(rx.Samples, 1000);
    rx.FrameDecoded = false;
    path.Slice(rx, 1000);
    if (b >= 5 && !rx.FrameDecoded) ++missed;
  }
  return missed;
}

struct Channel { const char* name; Impairments impairments; };

Impairments With(void (*change)(Impairments&)) {
  Impairments i;
  change(i);
  return i;
}

// Two frames end in every 1368 samples, never more than 792 apart: every buffer of
// 1000 samples completes one, and none may be lost.
TEST(SiggenRoundTrip, Pcm1024PositionsComeBackThroughImpairments) {
  const Channel channels[] = {
      {"clean", Impairments{}},
      {"noise 20 dB", With([](Impairments& i) { i.snrDb = 20; i.seed = 3; })},
      {"AC coupled 20 Hz", With([](Impairments& i) { i.highPassHz = 20; })},
      {"low-pass 6 kHz", With([](Impairments& i) { i.lowPassHz = 6000; })},
      {"drift +2000 ppm", With([](Impairments& i) { i.driftPpm = 2000; })},
      {"drift -2000 ppm", With([](Impairments& i) { i.driftPpm = -2000; })},
      {"inverted", With([](Impairments& i) { i.inverted = true; })},
      {"all moderate", With([](Impairments& i) {
         i.amplitude = 3000; i.dcOffset = -1500; i.highPassHz = 10; i.lowPassHz = 8000;
         i.snrDb = 24; i.driftPpm = -2000; i.inverted = true; i.seed = 11;
       })},
  };
  Pcm1024Settings settings;
  settings.positions = kPositions;
  for (const Channel& c : channels) {
    SCOPED_TRACE(c.name);
    auto rx = CreateInputControl();
    SignalGenerator generator(settings, c.impairments);
    EXPECT_EQ(DecodeSignal(generator, *rx, 2.0), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rx->Channels.positions[i], kPositions[static_cast<std::size_t>(i)]) << i;
  }
}

TEST(SiggenRoundTrip, Pcm1024FrameKindsAndAuxiliaryBits) {
  Pcm1024Settings settings;
  settings.positions = kPositions;
  settings.secondValues = {10, 20, 30, 40, 50, 60, 70, 80};
  settings.flags = {1, 0, 1, 1, 0, 1, 1, 0};
  settings.aux8 = 1;
  settings.aux9 = 1;
  // Kind 0, 0: channels 1, 2, 5, 6 send their second value and flag; 3, 4, 7, 8 positions.
  settings.kind = 0b00;
  auto rx = CreateInputControl();
  SignalGenerator kind00(settings, Impairments{});
  DecodeSignal(kind00, *rx, 0.5);
  const ChannelTable& t = rx->Channels;
  for (int i : {0, 1, 4, 5}) {
    EXPECT_EQ(t.positions[i], 512) << i;
    EXPECT_EQ(t.secondValues[i], settings.secondValues[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(t.flags[i], settings.flags[static_cast<std::size_t>(i)]) << i;
  }
  for (int i : {2, 3, 6, 7}) EXPECT_EQ(t.positions[i], kPositions[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(t.positions[8], 1);
  EXPECT_EQ(t.positions[9], 1);
  // Kind 0, 1 on the same receiver: the other half of the channels.
  settings.kind = 0b01;
  SignalGenerator kind01(settings, Impairments{});
  DecodeSignal(kind01, *rx, 0.5);
  for (int i : {0, 1, 4, 5}) EXPECT_EQ(t.positions[i], kPositions[static_cast<std::size_t>(i)]) << i;
  for (int i : {2, 3, 6, 7}) {
    EXPECT_EQ(t.secondValues[i], settings.secondValues[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(t.flags[i], settings.flags[static_cast<std::size_t>(i)]) << i;
  }
}

// An SPCM frame takes 20 + 241 × 8 + 80 = 2028 samples, so each one completes in a
// buffer of its own: 2 s hold 47, and only the first may be lost while the slicer settles.
TEST(SiggenRoundTrip, SpcmPositionsComeBackThroughImpairments) {
  Impairments moderate;
  moderate.amplitude = 4000;
  moderate.highPassHz = 20;
  moderate.snrDb = 25;
  moderate.driftPpm = 2000;
  moderate.inverted = true;
  siggen::SpcmSettings settings;
  settings.positions = kPositions;
  for (const Impairments& impairments : {Impairments{}, moderate}) {
    auto rx = CreateInputControl();
    rx->Mode = 1;
    SignalGenerator generator(settings, impairments);
    SignalPath path;
    int decoded = 0;
    for (int b = 0; b < 96; ++b) {
      generator.Generate(rx->Samples, 1000);
      rx->FrameDecoded = false;
      path.Slice(*rx, 1000);
      decoded += rx->FrameDecoded;
    }
    EXPECT_GE(decoded, 46);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rx->Channels.positions[i], kPositions[static_cast<std::size_t>(i)]) << i;
  }
}

// The decoder tests feed SpcmFrameRunLengths' runs straight to the decoder: they must be
// the runs the slicer cuts from the generator's signal of the same frame.
TEST(SiggenRoundTrip, SpcmSignalSlicesIntoItsFrameRunLengths) {
  struct RunLog {
    std::vector<std::int32_t> runs;
    void DecodeRun(TInputControl&, std::int32_t samples, std::uint8_t) { runs.push_back(samples); }
  } log;
  siggen::SpcmSettings settings;
  settings.positions = kPositions;
  const auto frame = siggen::SpcmFrameRunLengths(siggen::SpcmFramePatterns(siggen::SpcmFrameSymbols(kPositions)),
                                                 settings.syncSamples, settings.pauseSamples);
  std::vector<std::int32_t> expected;
  for (int f = 0; f < 4; ++f) expected.insert(expected.end(), frame.begin(), frame.end());
  const int frameSamples = std::accumulate(frame.begin(), frame.end(), 0);
  // Five frames and the start of the sixth, whose sync run ends the fifth's last run.
  SignalGenerator generator(settings, Impairments{});
  auto rx = CreateInputControl();
  SignalSlicer slicer;
  for (int left = 5 * frameSamples + 1; left > 0; left -= 1000) {
    generator.Generate(rx->Samples, static_cast<std::size_t>(std::min(left, 1000)));
    slicer.Slice(*rx, std::min(left, 1000), log);
  }
  // The last four frames, after the first, which starts without a transition.
  ASSERT_GE(log.runs.size(), expected.size());
  EXPECT_EQ(std::vector<std::int32_t>(log.runs.end() - static_cast<long>(expected.size()), log.runs.end()), expected);
}

}  // namespace
}  // namespace corvane
