#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "decode/signal_slicer.h"

namespace corvane {
namespace {

struct SlicedRun {
  std::int32_t length;
  std::uint8_t level;
  long at;    // index of the sample being processed at the hand-over
  int mode;   // the receiver's mode at the hand-over
  bool operator==(const SlicedRun&) const = default;
};

// Records every run, with the stream index of the sample that completed it.
struct RunRecorder {
  std::vector<SlicedRun> runs;
  void DecodeRun(TInputControl& rx, std::int32_t length, std::uint8_t level) {
    runs.push_back({length, level, -1, rx.Mode});
  }
};

// Feeds `stream` through the slicer in chunks of the given sizes (cycled), one Slice
// call per chunk, and returns the runs with the sample index at which each came.
std::vector<SlicedRun> SliceStream(SignalSlicer& slicer, const std::vector<std::int16_t>& stream,
                             const std::vector<int>& chunks = {1}) {
  auto rx = CreateInputControl();
  RunRecorder recorder;
  std::size_t pos = 0;
  std::size_t chunk = 0;
  while (pos < stream.size()) {
    std::size_t n = std::min<std::size_t>(chunks[chunk++ % chunks.size()], stream.size() - pos);
    n = std::min<std::size_t>(n, kSampleCopySize);
    std::copy_n(stream.begin() + static_cast<long>(pos), n, rx->Samples);
    if (n == 1) {
      const std::size_t before = recorder.runs.size();
      slicer.Slice(*rx, 1, recorder);
      for (std::size_t i = before; i < recorder.runs.size(); ++i) recorder.runs[i].at = static_cast<long>(pos);
    } else {
      slicer.Slice(*rx, static_cast<int>(n), recorder);
    }
    pos += n;
  }
  return recorder.runs;
}

TEST(SignalSlicer, OneZeroSample) {
  SignalSlicer slicer;
  auto runs = SliceStream(slicer, {0});
  EXPECT_TRUE(runs.empty());
  EXPECT_NEAR(slicer.mean, 0.0, 5e-5);
  EXPECT_NEAR(slicer.upper, 31128.65, 5e-5);
  EXPECT_NEAR(slicer.lower, -31129.6, 5e-5);
  EXPECT_NEAR(slicer.swing, 16433.151, 5e-5);
  EXPECT_NEAR(slicer.threshold, -1469.6449, 5e-5);
  EXPECT_TRUE(slicer.high);
  EXPECT_EQ(slicer.run, 1);
}

TEST(SignalSlicer, SilenceGivesFiveRunsThenCountsDown) {
  SignalSlicer slicer;
  auto runs = SliceStream(slicer, std::vector<std::int16_t>(2000, 0));
  const std::vector<SlicedRun> expected = {
      {2, 1, 2, 0}, {2, 0, 4, 0}, {2, 1, 6, 0}, {2, 0, 8, 0}, {2, 1, 10, 0}};
  EXPECT_EQ(runs, expected);
  EXPECT_FALSE(slicer.high);
  EXPECT_EQ(slicer.run, -1990);
}

TEST(SignalSlicer, ConstantHighNeverHandsOver) {
  SignalSlicer slicer;
  auto runs = SliceStream(slicer, std::vector<std::int16_t>(5000, 10000), {1000});
  EXPECT_TRUE(runs.empty());
  EXPECT_TRUE(slicer.high);
  EXPECT_EQ(slicer.run, 5000);
}

std::vector<std::int16_t> SquareWave(int halves, bool startHigh) {
  std::vector<std::int16_t> wave;
  for (int h = 0; h < halves; ++h) {
    const bool high = (h % 2 == 0) == startHigh;
    wave.insert(wave.end(), 8, high ? 10000 : -10000);
  }
  return wave;
}

TEST(SignalSlicer, SquareWaveRunsComeAtEachEdge) {
  for (bool startHigh : {true, false}) {
    SignalSlicer slicer;
    auto runs = SliceStream(slicer, SquareWave(40, startHigh));
    ASSERT_EQ(runs.size(), 39u) << startHigh;
    for (std::size_t k = 0; k < runs.size(); ++k) {
      const std::uint8_t level = (k % 2 == 0) == startHigh ? 1 : 0;
      EXPECT_EQ(runs[k], (SlicedRun{8, level, static_cast<long>(8 * (k + 1)), 0})) << startHigh << " run " << k;
    }
  }
}

TEST(SignalSlicer, BufferSplitsNeverChangeTheRuns) {
  // A noisy pulse train of varied widths, as a transmitter behind a sound card gives.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> width(2, 140);
  std::normal_distribution<double> noise(0.0, 1500.0);
  std::vector<std::int16_t> stream;
  bool high = true;
  while (stream.size() < 60000) {
    for (int i = width(rng); i > 0; --i) stream.push_back(static_cast<std::int16_t>((high ? 9000 : -9000) + noise(rng)));
    high = !high;
  }
  SignalSlicer whole;
  auto expected = SliceStream(whole, stream, {kSampleCopySize});
  ASSERT_GT(expected.size(), 500u);
  for (auto chunks : std::vector<std::vector<int>>{{1000}, {1}, {7, 1, 999, 13}, {3, 2000}}) {
    SignalSlicer split;
    auto runs = SliceStream(split, stream, chunks);
    for (SlicedRun& r : runs) r.at = -1;
    EXPECT_EQ(runs, expected);
    EXPECT_EQ(split.mean, whole.mean);
    EXPECT_EQ(split.threshold, whole.threshold);
    EXPECT_EQ(split.run, whole.run);
  }
}

TEST(SignalSlicer, ModeChangeBetweenRunsSwitchesDecoderOnly) {
  SignalSlicer slicer;
  auto rx = CreateInputControl();
  RunRecorder recorder;
  const auto wave = SquareWave(6, true);
  std::copy(wave.begin(), wave.begin() + 20, rx->Samples);
  slicer.Slice(*rx, 20, recorder);  // runs at 8 and 16
  rx->Mode = 1;
  std::copy(wave.begin() + 20, wave.end(), rx->Samples);
  slicer.Slice(*rx, static_cast<int>(wave.size()) - 20, recorder);  // runs at 24, 32, 40
  ASSERT_EQ(recorder.runs.size(), 5u);
  EXPECT_EQ(recorder.runs[1].mode, 0);
  EXPECT_EQ(recorder.runs[2].mode, 1);
  EXPECT_EQ(recorder.runs[2].length, 8);
}

TEST(SignalSlicer, RunCounterStopsAtItsBound) {
  SignalSlicer slicer;
  slicer.high = true;
  slicer.run = 2147483646;
  auto rx = CreateInputControl();
  RunRecorder recorder;
  rx->Samples[0] = rx->Samples[1] = 30000;
  slicer.mean = 0, slicer.upper = 30000, slicer.lower = -30000, slicer.swing = 60000, slicer.threshold = 0;
  slicer.Slice(*rx, 2, recorder);
  EXPECT_EQ(slicer.run, 2147483647);
  rx->Samples[0] = -30000;
  slicer.Slice(*rx, 1, recorder);
  ASSERT_EQ(recorder.runs.size(), 1u);
  EXPECT_EQ(recorder.runs[0].length, 2147483647);
  EXPECT_EQ(recorder.runs[0].level, 1);

  slicer.run = -2147483646;
  slicer.Slice(*rx, 1, recorder);
  slicer.Slice(*rx, 1, recorder);
  EXPECT_EQ(slicer.run, -2147483647);
  rx->Samples[0] = 30000;
  slicer.Slice(*rx, 1, recorder);
  ASSERT_EQ(recorder.runs.size(), 2u);
  EXPECT_EQ(recorder.runs[1].length, 2147483647);
  EXPECT_EQ(recorder.runs[1].level, 0);
}

}  // namespace
}  // namespace corvane
