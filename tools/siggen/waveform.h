#pragma once
// A two-level signal described as segments of exact length, and its rendering into
// samples at 48 000 per second with an optional clock drift.

#include <cstdint>

namespace corvane::siggen {

// Lengths are counted in ticks of a fifth of a sample, so a PCM1024 cell (7.2 samples)
// is exactly 36 ticks and cell boundaries never drift through rounding.
inline constexpr std::int64_t kTicksPerSample = 5;

struct Segment {
  std::int64_t ticks = 0;
  bool high = false;
};

// An endless source of segments; adjacent segments may have the same level.
class SegmentSource {
 public:
  virtual ~SegmentSource() = default;
  virtual Segment Next() = 0;
};

// Samples the segments' level: sample i is the level of the segment that covers time i.
// A drift of +ppm makes every segment that many millionths longer (the sender's clock
// runs slow against the recorder's).
class LevelRenderer {
 public:
  LevelRenderer(SegmentSource& source, double driftPpm);
  bool Next();  // the level of the next sample

 private:
  SegmentSource& source_;
  double stretch_;
  std::int64_t sample_ = 0;
  std::int64_t segmentEnd_ = 0;  // in ticks, before stretching
  bool high_ = false;
};

}  // namespace corvane::siggen
