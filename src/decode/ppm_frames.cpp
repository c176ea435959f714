#include "decode/ppm_frames.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// A channel's interval outside these is impossible: its frame is dropped.
constexpr double kShortestChannelSamples = 700.0 * PpmFrames::kSamplesPerMicrosecond;
constexpr double kLongestChannelSamples = 2300.0 * PpmFrames::kSamplesPerMicrosecond;
// Leading and trailing edges further apart than this in a channel's two intervals mean
// separators of different widths: the leading edges alone then give the channel.
constexpr double kSameWidthSamples = 20.0 * PpmFrames::kSamplesPerMicrosecond;
// An interval of one edge direction this far outside the channels' range breaks its frame
// at once: no mean with the other direction could bring it back.
constexpr double kImpossibleMargin = kSameWidthSamples;

bool Impossible(double interval) {
  return interval < kShortestChannelSamples - kImpossibleMargin ||
         interval > kLongestChannelSamples + kImpossibleMargin;
}

}  // namespace

std::int32_t PpmPosition(double microseconds) {
  const double position = std::floor((microseconds - 1000.0) * 1023.0 / 1000.0 + 0.5);
  if (!(position > 0.0)) return 0;  // also for NaN
  if (position > 1023.0) return 1023;
  return static_cast<std::int32_t>(position);
}

void PpmFrames::TakeEdge(double time, bool rising) {
  lastEdgeTime = time;
  if (!synced) return;  // inside a frame that began before the first gap
  if (!open) {
    // The edge after a gap leads into the first separator.
    open = true;
    broken = false;
    leadRising = rising;
    leadEdges = 0;
    trailEdges = 0;
  }
  if (broken) return;
  if (rising == leadRising) {
    broken = leadEdges != trailEdges || leadEdges == kMaxChannels + 1 ||
             (leadEdges > 0 && Impossible(time - leadTimes[leadEdges - 1]));
    if (!broken) leadTimes[leadEdges++] = time;
  } else {
    broken = trailEdges + 1 != leadEdges || (trailEdges > 0 && Impossible(time - trailTimes[trailEdges - 1]));
    if (!broken) trailTimes[trailEdges++] = time;
  }
}

bool PpmFrames::EndAfterGap(double now, TInputControl& receiver, PpmFrameResult& result) {
  if (now - lastEdgeTime <= kGapSamples) return false;
  synced = true;
  if (!open) return false;
  result = Finish(receiver);
  return true;
}

PpmFrameResult PpmFrames::Finish(TInputControl& receiver) {
  open = false;
  channels = leadEdges > 0 ? leadEdges - 1 : 0;
  start = leadTimes[0];
  bool whole = !broken && trailEdges == leadEdges && channels >= kMinChannels;
  for (int i = 0; i < channels && whole; ++i) {
    const double lead = leadTimes[i + 1] - leadTimes[i];
    const double trail = trailTimes[i + 1] - trailTimes[i];
    const double interval = std::abs(lead - trail) <= kSameWidthSamples ? 0.5 * (lead + trail) : lead;
    whole = interval >= kShortestChannelSamples && interval <= kLongestChannelSamples;
    intervals[i] = interval / kSamplesPerMicrosecond;
  }
  if (!whole) return PpmFrameResult::kRejected;

  if (channels == learnedChannels) {
    framesWithLearned = std::min(framesWithLearned + 1, kConfirmingFrames);
  } else {
    learnedChannels = channels;
    framesWithLearned = 1;
  }
  if (framesWithLearned < kConfirmingFrames) return PpmFrameResult::kUnconfirmed;

  const int reported = std::min(channels, kReportedChannels);
  for (int i = 0; i < reported; ++i) receiver.Channels.positions[i] = PpmPosition(intervals[i]);
  receiver.FrameDecoded = true;
  return PpmFrameResult::kAccepted;
}

}  // namespace corvane
