#include <gtest/gtest.h>

#include <climits>

#include "platform/linux/volume_scale.h"

namespace corvane {
namespace {

TEST(VolumeScale, EndsMeetAndEveryStepSurvivesARoundTrip) {
  const long ranges[][2] = {{0, 31}, {-6400, 0}, {0, 100}, {-12, 17}, {0, 65535}};
  for (const auto& [min, max] : ranges) {
    EXPECT_EQ(StepsToLevel(min, min, max), 0u) << min << " " << max;
    EXPECT_EQ(StepsToLevel(max, min, max), 65535u) << min << " " << max;
    EXPECT_EQ(LevelToSteps(0, min, max), min);
    EXPECT_EQ(LevelToSteps(65535, min, max), max);
    for (long steps = min; steps <= max; ++steps) {
      ASSERT_EQ(LevelToSteps(StepsToLevel(steps, min, max), min, max), steps) << min << " " << max;
    }
  }
}

TEST(VolumeScale, OutOfRangeValuesAreClampedWithoutOverflow) {
  EXPECT_EQ(LevelToSteps(0xFFFFFFFFu, 0, 31), 31);  // -1 written as a level
  EXPECT_EQ(StepsToLevel(40, 0, 31), 65535u);
  EXPECT_EQ(StepsToLevel(-5, 0, 31), 0u);
  EXPECT_EQ(StepsToLevel(LONG_MAX, LONG_MIN, LONG_MAX), 65535u);
  EXPECT_EQ(StepsToLevel(0, LONG_MIN, LONG_MAX), 32768u);
  EXPECT_EQ(LevelToSteps(65535, LONG_MIN, LONG_MAX), LONG_MAX);
  EXPECT_EQ(LevelToSteps(0, LONG_MIN, LONG_MAX), LONG_MIN);
  EXPECT_EQ(StepsToLevel(3, 5, 5), 0u);  // a control with a single step
  EXPECT_EQ(LevelToSteps(1000, 5, 5), 5);
  EXPECT_EQ(StepsToLevel(16, 0, 31), 33825u);  // 16 * 65535 / 31 = 33824.52, to the nearest
}

}  // namespace
}  // namespace corvane
