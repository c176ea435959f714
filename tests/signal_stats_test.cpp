// The counts taken on the way through the signal path: level and runs, and the intervals
// that the capture's periodic line reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "decode/signal_stats.h"

namespace corvane {
namespace {

class SignalStatsTest : public ::testing::Test {
 protected:
  SignalStatsTest() { path.counter = &stats; }

  void Buffer(const std::vector<std::int16_t>& samples) {
    std::copy(samples.begin(), samples.end(), rx->Samples);
    path.Slice(*rx, static_cast<int>(samples.size()));
  }

  std::unique_ptr<TInputControl> rx = CreateInputControl();
  SignalPath path;
  SignalStatsCollector stats;
};

TEST_F(SignalStatsTest, CountsFullScaleAtBothEndsAndTakesThePeakOfMinus32768) {
  Buffer({0, 32767, -32768, 32766, -32767, 5});
  const LevelCounts& level = stats.Total().level;
  EXPECT_EQ(level.samples, 6u);
  EXPECT_EQ(level.clipped, 2u);
  EXPECT_EQ(level.peak, 32768);
  EXPECT_EQ(level.sum, 3);
}

TEST_F(SignalStatsTest, SilenceHandsOverFiveGlitchesOfTwoSamples) {
  Buffer(std::vector<std::int16_t>(2000, 0));
  const RunCounts& runs = stats.Total().runs;
  EXPECT_EQ(runs.runs, 5u);
  EXPECT_EQ(runs.glitches, 5u);
  EXPECT_EQ(runs.longest, 2);
  EXPECT_EQ(stats.Total().level.peak, 0);
}

TEST_F(SignalStatsTest, AnIntervalHoldsWhatCameSinceThePreviousOne) {
  Buffer({0, 32767, -32768, 32766});
  const SignalStats first = stats.TakeInterval();
  Buffer({10, -20, 7});
  const SignalStats second = stats.TakeInterval();
  EXPECT_EQ(first.level.samples, 4u);
  EXPECT_EQ(first.level.clipped, 2u);
  EXPECT_EQ(first.level.peak, 32768);
  EXPECT_EQ(second.level.samples, 3u);
  EXPECT_EQ(second.level.clipped, 0u);
  EXPECT_EQ(second.level.peak, 20);  // the loud first buffer is not this interval's
  EXPECT_EQ(second.level.sum, -3);
  EXPECT_EQ(first.runs.runs + second.runs.runs, stats.Total().runs.runs);
  EXPECT_EQ(stats.Total().level.samples, 7u);
  EXPECT_EQ(stats.Total().level.peak, 32768);
  EXPECT_EQ(stats.TakeInterval().level.samples, 0u);
}

}  // namespace
}  // namespace corvane
