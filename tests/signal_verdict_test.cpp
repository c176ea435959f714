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
  AcceptedFormat format;
};

TEST(SignalVerdict, TheFirstThatAppliesAtTheLimits) {
  using V = Verdict;
  using F = AcceptedFormat;
  const Case cases[] = {
      {"1 % clipped is not clipping", 0, 100, 32768, 10, 0, 0, 0, V::kOk, F::kPcm1024},
      {"just over 1 %", 0, 101, 32768, 10, 0, 0, 0, V::kClipping, F::kPcm1024},
      {"clipping before wrong-mode", 0, 200, 32768, 0, 0, 10, 0, V::kClipping, F::kSpcm},
      {"peak 327 is below -40 dBFS", 0, 0, 327, 0, 0, 0, 0, V::kNoSignal, F::kNone},
      {"peak 328 is not", 0, 0, 328, 0, 0, 0, 0, V::kUnknown, F::kNone},
      {"a faint signal that decodes", 1, 0, 100, 0, 0, 10, 0, V::kOk, F::kSpcm},
      {"SPCM read as PCM1024", 0, 0, 10000, 0, 0, 10, 3, V::kWrongMode, F::kSpcm},
      {"PCM1024 read as SPCM", 1, 0, 10000, 10, 0, 0, 9, V::kWrongMode, F::kPcm1024},
      {"any mode but 0 is SPCM", 2, 0, 10000, 0, 0, 10, 0, V::kOk, F::kSpcm},
      {"5 % rejected is ok", 0, 0, 10000, 95, 5, 0, 0, V::kOk, F::kPcm1024},
      {"6 % rejected is noisy", 0, 0, 10000, 94, 6, 0, 0, V::kNoisy, F::kPcm1024},
      {"5 % lost is ok", 1, 0, 10000, 0, 0, 95, 5, V::kOk, F::kSpcm},
      {"6 % lost is noisy", 1, 0, 10000, 0, 0, 94, 6, V::kNoisy, F::kSpcm},
      {"the other format's losses do not count", 1, 0, 10000, 0, 50, 100, 0, V::kOk, F::kSpcm},
      {"both decode: the mode's", 0, 0, 10000, 10, 0, 10, 0, V::kOk, F::kPcm1024},
      {"only failures", 0, 0, 10000, 0, 40, 0, 40, V::kUnknown, F::kNone},
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
  EXPECT_EQ(Advice(Verdict::kWrongMode, 0), "The signal is SPCM: choose --mode spcm, or the TX Type \"SPCM (JR)\".");
  EXPECT_EQ(Advice(Verdict::kWrongMode, 1),
            "The signal is PCM1024: choose --mode pcm1024, or the TX Type \"PCM1024 (Futaba)\".");
}

}  // namespace
}  // namespace corvane::tool
