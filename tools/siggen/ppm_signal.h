#pragma once
// The PPM signal as a transmitter sends it: frames of N + 1 separator pulses, channel i
// the time between the leading edges of pulses i and i + 1, then a gap up to the end of
// the frame period. Edges are given at exact real times, not rounded to samples.

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace corvane::siggen {

inline constexpr int kPpmMaxChannels = 16;
// The shortest gap after a frame's last pulse: a frame whose channels leave less of its
// period is made longer.
inline constexpr double kPpmShortestGapUs = 3000.0;

struct PpmSettings {
  int channels = 8;  // 4 … 16
  // Channels 1 … 8; channels 9 … 16 stay at the centre.
  std::array<std::int32_t, 8> positions{512, 512, 512, 512, 512, 512, 512, 512};
  bool sweep = false;              // channels 1 … 8 follow SweepPosition instead
  double framePeriodUs = 22500.0;  // from one frame's first leading edge to the next
  double separatorUs = 400.0;      // the width of each pulse
  // When set, it gives each frame's channel intervals in microseconds instead of the
  // positions (frames numbered from 0); an interval of 0 ends that frame early, without
  // the channels from there on.
  std::function<void(std::int64_t frame, std::span<double> intervalsUs)> intervalsOfFrame;
};

// The interval that the decoder maps back to `position`: 1000 + position × 1000 / 1023 µs.
double PpmIntervalOf(std::int32_t position);

struct Edge {
  double timeUs;
  bool rising;  // into a pulse
};

// Endless edges, in time order, starting after a gap of one frame period.
class PpmEdgeSource {
 public:
  explicit PpmEdgeSource(PpmSettings settings);
  Edge Next();

 private:
  void NextFrame();

  PpmSettings settings_;
  std::int64_t frame_ = 0;
  double frameStartUs_;
  std::array<Edge, 2 * (kPpmMaxChannels + 1)> edges_{};
  int edgeCount_ = 0;
  int edge_ = 0;
};

}  // namespace corvane::siggen
