// PPM through the signal generator's band-limited edges and the receiver's signal path.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "decode/input_control.h"
#include "decode/ppm_frames.h"
#include "decode/signal_path.h"
#include "decode/signal_stats.h"
#include "siggen/signal_generator.h"

namespace corvane {
namespace {

using siggen::Impairments;
using siggen::PpmSettings;
using siggen::SignalGenerator;

constexpr std::array<std::int32_t, 8> kPositions = {0, 1023, 100, 900, 512, 511, 333, 777};

// What decoding a signal came to.
struct Decoded {
  int buffersWithFrame = 0;
  std::array<std::int32_t, 8> positions{};
};

// Decodes `seconds` of the signal in buffers of 1000 samples in `mode`.
Decoded DecodeSignal(SignalGenerator& generator, double seconds, std::int32_t mode = kModePpm) {
  auto rx = CreateInputControl();
  rx->Mode = mode;
  SignalPath path;
  Decoded decoded;
  for (int b = 0; b < static_cast<int>(seconds * 48); ++b) {
    generator.Generate(rx->Samples, 1000);
    rx->FrameDecoded = false;
    path.Slice(*rx, 1000);
    decoded.buffersWithFrame += rx->FrameDecoded;
  }
  std::copy(rx->Channels.positions, rx->Channels.positions + 8, decoded.positions.begin());
  return decoded;
}

TEST(PpmPosition, MapsMicrosecondsOntoTheScaleRoundingHalvesUp) {
  const struct {
    double microseconds;
    std::int32_t position;
  } cases[] = {
      {1000, 0},
      {1500, 512},
      {2000, 1023},
      {1250, 256},  // 255.75
      {1001, 1},
      {999, 0},
      {700, 0},
      {2001, 1023},
      {2300, 1023},
      {1000.4887, 0},  // 0.49994…: below the half
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(PpmPosition(c.microseconds), c.position) << c.microseconds;
}

struct Case {
  const char* what;
  int channels;
  double separatorUs;
  double periodUs;
  Impairments impairments;
  std::int32_t tolerance;  // steps from the position sent
};

Impairments With(void (*change)(Impairments&)) {
  Impairments i;
  change(i);
  return i;
}

TEST(PpmDecoder, PositionsComeBackAcrossCountsPolaritiesSeparatorsAndImpairments) {
  const Case cases[] = {
      {"8 channels, clean", 8, 400, 22500, Impairments{}, 0},
      {"4 channels", 4, 400, 18000, Impairments{}, 0},
      {"6 channels, inverted", 6, 300, 20000, With([](Impairments& i) { i.inverted = true; }), 0},
      {"12 channels, 500 us separators", 12, 500, 30000, Impairments{}, 0},
      {"16 channels in a period too short for them", 16, 300, 18000, Impairments{}, 0},
      {"period 40 ms", 8, 400, 40000, Impairments{}, 0},
      {"drift +200 ppm", 8, 400, 22500, With([](Impairments& i) { i.driftPpm = 200; }), 1},
      {"drift -200 ppm", 8, 400, 22500, With([](Impairments& i) { i.driftPpm = -200; }), 1},
      {"AC coupled 120 Hz, low-pass 8 kHz, inverted", 8, 400, 22500, With([](Impairments& i) {
         i.highPassHz = 120;
         i.lowPassHz = 8000;
         i.inverted = true;
       }),
       1},
      {"noise 35 dB", 8, 400, 22500, With([](Impairments& i) {
         i.snrDb = 35;
         i.seed = 4;
       }),
       3},
      {"noise 24 dB, -30 dBFS, DC, hum", 8, 300, 22500, With([](Impairments& i) {
         i.snrDb = 24;
         i.amplitude = 1036;
         i.dcOffset = -3000;
         i.humAmplitude = 300;
         i.seed = 5;
       }),
       6},
  };
  for (const Case& c : cases) {
    PpmSettings settings;
    settings.channels = c.channels;
    settings.positions = kPositions;
    settings.separatorUs = c.separatorUs;
    settings.framePeriodUs = c.periodUs;
    SignalGenerator generator(settings, c.impairments);
    const Decoded decoded = DecodeSignal(generator, 0.5);
    // Frames from the third on are accepted: at least every other buffer has one.
    EXPECT_GE(decoded.buffersWithFrame, 10) << c.what;
    for (int i = 0; i < 8; ++i) {
      const std::int32_t sent = i < c.channels ? kPositions[static_cast<std::size_t>(i)] : kCentre;
      EXPECT_NEAR(decoded.positions[static_cast<std::size_t>(i)], sent, c.tolerance)
          << c.what << ", Ch." << i + 1;
    }
  }
}

// A generator whose frames carry the intervals `intervalsOf` gives them.
SignalGenerator Frames(int channels, std::function<void(std::int64_t, std::span<double>)> intervalsOf) {
  PpmSettings settings;
  settings.channels = channels;
  settings.intervalsOfFrame = std::move(intervalsOf);
  return SignalGenerator(settings, Impairments{});
}

// Counts what the frames of a signal came to, from the decoder's results.
struct FrameCounter {
  int accepted = 0, rejected = 0, unconfirmed = 0;
  void OnPpmFrame(PpmFrameResult result, const PpmFrames&) {
    ++(result == PpmFrameResult::kAccepted   ? accepted
       : result == PpmFrameResult::kRejected ? rejected
                                             : unconfirmed);
  }
};

// Each channel's interval in turn, with frame `bad` holding channel 3 at `badInterval`.
void FillIntervals(std::span<double> intervals, std::int64_t frame, std::int64_t bad, double badInterval) {
  for (std::size_t i = 0; i < intervals.size(); ++i) intervals[i] = 1100.0 + 100.0 * static_cast<double>(i);
  if (frame == bad) intervals[2] = badInterval;
}

TEST(PpmDecoder, AFrameWithAnImpossibleChannelIsDroppedWhole) {
  for (const double badInterval : {2600.0, 600.0}) {
    SignalGenerator generator = Frames(8, [&](std::int64_t frame, std::span<double> intervals) {
      FillIntervals(intervals, frame, 4, badInterval);
    });
    auto rx = CreateInputControl();
    PpmDecoder decoder;
    FrameCounter counter;
    // Frames start every 1080 samples from sample 1080; each ends about 900 samples later.
    std::vector<std::int16_t> samples = generator.Generate(5300);  // frames 0 … 3
    decoder.Decode(*rx, samples.data(), static_cast<int>(samples.size()), counter);
    EXPECT_EQ(counter.accepted, 2) << badInterval;
    EXPECT_NEAR(rx->Channels.positions[2], PpmPosition(1300.0), 1);
    // Frame 4 brings channel 3 at the bad interval: nothing of it reaches the table.
    std::fill(std::begin(rx->Channels.positions), std::end(rx->Channels.positions), 0);
    rx->FrameDecoded = false;
    samples = generator.Generate(1080);
    decoder.Decode(*rx, samples.data(), static_cast<int>(samples.size()), counter);
    EXPECT_EQ(counter.rejected, 1) << badInterval;
    EXPECT_FALSE(rx->FrameDecoded);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rx->Channels.positions[i], 0) << badInterval;
  }
}

TEST(PpmDecoder, ANewChannelCountMustHoldForThreeFramesAndAMissingChannelIsNoFrame) {
  // 8 channels for 5 frames, one frame of 7 (a channel missing), 8 again for 2 frames,
  // then 6 channels.
  SignalGenerator generator = Frames(8, [](std::int64_t frame, std::span<double> intervals) {
    FillIntervals(intervals, frame, -1, 0);
    const std::size_t channels = frame == 5 ? 7 : frame < 8 ? 8 : 6;
    if (channels < intervals.size()) intervals[channels] = 0;
  });
  auto rx = CreateInputControl();
  PpmDecoder decoder;
  struct Collect {
    std::vector<PpmFrameResult> results;
    std::vector<int> channels;
    void OnPpmFrame(PpmFrameResult result, const PpmFrames& frames) {
      results.push_back(result);
      channels.push_back(frames.channels);
    }
  } collect;
  const std::vector<std::int16_t> samples = generator.Generate(12 * 1080 + 200);
  decoder.Decode(*rx, samples.data(), static_cast<int>(samples.size()), collect);
  using R = PpmFrameResult;
  const std::vector<R> results = {R::kUnconfirmed, R::kUnconfirmed, R::kAccepted,    R::kAccepted,
                                  R::kAccepted,    R::kUnconfirmed, R::kUnconfirmed, R::kUnconfirmed,
                                  R::kUnconfirmed, R::kUnconfirmed, R::kAccepted};
  EXPECT_EQ(collect.results, results);
  EXPECT_EQ(collect.channels, (std::vector<int>{8, 8, 8, 8, 8, 7, 8, 8, 6, 6, 6}));
  // Channels 7 and 8 keep what the last accepted 8-channel frame wrote.
  EXPECT_NEAR(rx->Channels.positions[5], PpmPosition(1600.0), 1);
  EXPECT_NEAR(rx->Channels.positions[6], PpmPosition(1700.0), 1);
  EXPECT_NEAR(rx->Channels.positions[7], PpmPosition(1800.0), 1);
}

TEST(PpmDecoder, GarbageAndPcmSignalsReportNothing) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> any(-32768, 32767);
  auto rx = CreateInputControl();
  rx->Mode = kModePpm;
  SignalPath path;
  for (int b = 0; b < 48; ++b) {
    for (int i = 0; i < 1000; ++i) rx->Samples[i] = static_cast<std::int16_t>(any(rng));
    path.Slice(*rx, 1000);
  }
  siggen::Pcm1024Settings pcm;
  pcm.positions = kPositions;
  SignalGenerator pcmSignal(pcm, Impairments{});
  siggen::SpcmSettings spcm;
  spcm.positions = kPositions;
  SignalGenerator spcmSignal(spcm, Impairments{});
  for (SignalGenerator* generator : {&pcmSignal, &spcmSignal}) {
    for (int b = 0; b < 96; ++b) {
      generator->Generate(rx->Samples, 1000);
      path.Slice(*rx, 1000);
    }
  }
  EXPECT_FALSE(rx->FrameDecoded);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rx->Channels.positions[i], kCentre);
}

// --stats reads the formats the mode does not select on shadow decoders: a PPM signal in
// a PCM mode and a PCM signal in PPM mode each count the other's frames.
TEST(PpmDecoder, StatsCountPpmFramesInEveryModeAndPcmFramesInPpmMode) {
  auto statsOf = [](SignalGenerator generator, std::int32_t mode) {
    auto rx = CreateInputControl();
    rx->Mode = mode;
    SignalPath path;
    SignalStatsCollector stats;
    path.counter = &stats;
    for (int b = 0; b < 48; ++b) {
      generator.Generate(rx->Samples, 1000);
      path.Slice(*rx, 1000);
    }
    return stats.Total();
  };
  PpmSettings ppm;
  ppm.positions = kPositions;
  for (const std::int32_t mode : {kModePcm1024, kModeSpcm, kModePpm}) {
    const SignalStats s = statsOf(SignalGenerator(ppm, Impairments{}), mode);
    EXPECT_GE(s.ppm.frames, 40u) << mode;
    EXPECT_EQ(s.ppm.rejected, 0u) << mode;
    EXPECT_EQ(s.ppm.framesOfChannels[8], s.ppm.frames) << mode;
    EXPECT_EQ(s.pcm1024.frames + s.spcm.frames, 0u) << mode;
    // Intervals come only from the decoder of samples: in a PCM mode the PPM frames are
    // counted on the slicer's runs, to whole samples.
    EXPECT_EQ(s.ppmIntervals.count[4], mode == kModePpm ? s.ppm.frames : 0u) << mode;
    if (mode == kModePpm) {
      EXPECT_NEAR(s.ppmIntervals.least[4], siggen::PpmIntervalOf(512), 0.05);
      EXPECT_NEAR(s.ppmIntervals.most[4], siggen::PpmIntervalOf(512), 0.05);
    }
  }
  siggen::Pcm1024Settings pcm;
  const SignalStats s = statsOf(SignalGenerator(pcm, Impairments{}), kModePpm);
  EXPECT_GT(s.pcm1024.frames, 0u);
  EXPECT_EQ(s.ppm.frames, 0u);
}

}  // namespace
}  // namespace corvane
