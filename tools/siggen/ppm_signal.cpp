#include "siggen/ppm_signal.h"

#include <algorithm>
#include <utility>

#include "siggen/sweep.h"

namespace corvane::siggen {

double PpmIntervalOf(std::int32_t position) { return 1000.0 + position * 1000.0 / 1023.0; }

PpmEdgeSource::PpmEdgeSource(PpmSettings settings)
    : settings_(std::move(settings)), frameStartUs_(settings_.framePeriodUs) {
  settings_.channels = std::clamp(settings_.channels, 1, kPpmMaxChannels);
}

Edge PpmEdgeSource::Next() {
  if (edge_ == edgeCount_) NextFrame();
  return edges_[edge_++];
}

void PpmEdgeSource::NextFrame() {
  std::array<double, kPpmMaxChannels> intervals;
  intervals.fill(PpmIntervalOf(512));
  const int channels = settings_.channels;
  if (settings_.intervalsOfFrame) {
    settings_.intervalsOfFrame(frame_,
                               std::span<double>(intervals.data(), static_cast<std::size_t>(channels)));
  } else {
    for (int i = 0; i < std::min(channels, 8); ++i) {
      const std::int32_t position = settings_.sweep ? SweepPosition(i, frameStartUs_ * 1e-6)
                                                    : settings_.positions[static_cast<std::size_t>(i)];
      intervals[static_cast<std::size_t>(i)] = PpmIntervalOf(position);
    }
  }
  edgeCount_ = 0;
  edge_ = 0;
  double lead = frameStartUs_;
  for (int pulse = 0; pulse <= channels; ++pulse) {
    edges_[static_cast<std::size_t>(edgeCount_++)] = {lead, true};
    edges_[static_cast<std::size_t>(edgeCount_++)] = {lead + settings_.separatorUs, false};
    if (pulse == channels || intervals[static_cast<std::size_t>(pulse)] <= 0.0) break;
    lead += intervals[static_cast<std::size_t>(pulse)];
  }
  const double used = lead + settings_.separatorUs + kPpmShortestGapUs - frameStartUs_;
  frameStartUs_ += std::max(settings_.framePeriodUs, used);
  ++frame_;
}

}  // namespace corvane::siggen
