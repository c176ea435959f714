// The verdict on an input's counts: the first that applies, at the exact limits.
#include <gtest/gtest.h>

#include "corvane-decode/signal_verdict.h"

namespace corvane::tool {
namespace {

struct Case {
  const char* what;
  std::int32_t mode;
  std::uint64_t clipped;  // of 10000 samples
  std::int32_t peak;
  std::uint64_t pcmFrames, pcmRejected, spcmFrames, spcmLost;
  Verdict verdict;
  const SignalFormat* format;
};

TEST(SignalVerdict, TheFirstThatAppliesAtTheLimits) {
  using V = Verdict;
  const SignalFormat* const pcm1024 = &kSignalFormats[kModePcm1024];
  const SignalFormat* const spcm = &kSignalFormats[kModeSpcm];
  const SignalFormat* const none = nullptr;
  const Case cases[] = {
      {"1 % clipped is not clipping", 0, 100, 32768, 10, 0, 0, 0, V::kOk, pcm1024},
      {"just over 1 %", 0, 101, 32768, 10, 0, 0, 0, V::kClipping, pcm1024},
      {"clipping before wrong-mode", 0, 200, 32768, 0, 0, 10, 0, V::kClipping, spcm},
      {"peak 327 is below -40 dBFS", 0, 0, 327, 0, 0, 0, 0, V::kNoSignal, none},
      {"peak 328 is not", 0, 0, 328, 0, 0, 0, 0, V::kUnknown, none},
      {"a faint signal that decodes", 1, 0, 100, 0, 0, 10, 0, V::kOk, spcm},
      {"SPCM read as PCM1024", 0, 0, 10000, 0, 0, 10, 3, V::kWrongMode, spcm},
      {"PCM1024 read as SPCM", 1, 0, 10000, 10, 0, 0, 9, V::kWrongMode, pcm1024},
      {"a mode of no format is SPCM", 7, 0, 10000, 0, 0, 10, 0, V::kOk, spcm},
      {"and -1 too", -1, 0, 10000, 0, 0, 10, 0, V::kOk, spcm},
      {"5 % rejected is ok", 0, 0, 10000, 95, 5, 0, 0, V::kOk, pcm1024},
      {"6 % rejected is noisy", 0, 0, 10000, 94, 6, 0, 0, V::kNoisy, pcm1024},
      {"5 % lost is ok", 1, 0, 10000, 0, 0, 95, 5, V::kOk, spcm},
      {"6 % lost is noisy", 1, 0, 10000, 0, 0, 94, 6, V::kNoisy, spcm},
      {"the other format's losses do not count", 1, 0, 10000, 0, 50, 100, 0, V::kOk, spcm},
      {"both decode: the mode's", 0, 0, 10000, 10, 0, 10, 0, V::kOk, pcm1024},
      {"only failures", 0, 0, 10000, 0, 40, 0, 40, V::kUnknown, none},
  };
  for (const Case& c : cases) {
    SignalStats stats;
    stats.level.samples = 10000;
    stats.level.clipped = c.clipped;
    stats.level.peak = c.peak;
    stats.pcm1024.frames = c.pcmFrames;
    stats.pcm1024.rejected = c.pcmRejected;
    stats.spcm.frames = c.spcmFrames;
    stats.spcm.lost = c.spcmLost;
    EXPECT_EQ(Judge(stats, c.mode), c.verdict) << c.what;
    EXPECT_EQ(FormatAccepted(stats, c.mode), c.format) << c.what;
  }
}

TEST(SignalVerdict, WrongModeNamesTheModeAndTheTxTypeToChoose) {
  SignalStats spcm;
  spcm.spcm.frames = 10;
  EXPECT_EQ(Advice(Verdict::kWrongMode, spcm, kModePcm1024),
            "The signal is SPCM: choose --mode spcm, or the TX Type \"SPCM (JR)\".");
  SignalStats pcm1024;
  pcm1024.pcm1024.frames = 10;
  EXPECT_EQ(Advice(Verdict::kWrongMode, pcm1024, kModeSpcm),
            "The signal is PCM1024: choose --mode pcm1024, or the TX Type \"PCM1024 (Futaba)\".");
  EXPECT_EQ(Advice(Verdict::kWrongMode, pcm1024, kModePpm),
            "The signal is PCM1024: choose --mode pcm1024, or the TX Type \"PCM1024 (Futaba)\".");
  // PPM has no TX Type: the advice says where it is read instead.
  SignalStats ppm;
  ppm.ppm.frames = 10;
  for (const std::int32_t mode : {kModePcm1024, kModeSpcm}) {
    EXPECT_EQ(Judge(ppm, mode), Verdict::kWrongMode);
    EXPECT_EQ(Advice(Verdict::kWrongMode, ppm, mode),
              "The signal is PPM: choose --mode ppm (the tray program does not read PPM: run corvane-decode "
              "--capture --joystick, or its service).");
  }
}

TEST(SignalVerdict, PpmModeJudgesPpmFrames) {
  SignalStats stats;
  stats.level = {10000, 0, 10000, 0};
  stats.ppm.frames = 94;
  stats.ppm.rejected = 6;
  stats.ppm.unconfirmed = 40;  // a channel count settling is no damage
  EXPECT_EQ(Judge(stats, kModePpm), Verdict::kNoisy);
  stats.ppm.rejected = 5;
  stats.ppm.frames = 95;
  EXPECT_EQ(Judge(stats, kModePpm), Verdict::kOk);
  EXPECT_EQ(FormatAccepted(stats, kModePpm), &kSignalFormats[kModePpm]);
  // Frames of both other formats: the one with more is named.
  SignalStats other;
  other.level = {10000, 0, 10000, 0};
  other.pcm1024.frames = 3;
  other.spcm.frames = 30;
  EXPECT_EQ(Judge(other, kModePpm), Verdict::kWrongMode);
  EXPECT_EQ(FormatAccepted(other, kModePpm), &kSignalFormats[kModeSpcm]);
}

}  // namespace
}  // namespace corvane::tool
