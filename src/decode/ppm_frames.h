#pragma once
// PPM frames from timed edges: a gap longer than any channel ends a frame; the edge
// after it leads into the first separator and sets the direction of the leading edges;
// each channel is the time between the leading edges of two separators. Separators of
// one width give the same time between their trailing edges: the mean of the two halves
// the noise of either. Frames with a
// channel missing or impossible are dropped whole, and the channel count must hold for
// a few frames before frames are accepted.

#include <cstdint>

#include "decode/input_control.h"

namespace corvane {

// What a finished frame came to.
enum class PpmFrameResult : std::uint8_t {
  kAccepted,     // written to the channel table
  kRejected,     // a channel missing, out of range or in excess: dropped whole
  kUnconfirmed,  // whole, but its channel count has not yet held for long enough
};

// Position 0 … 1023 of a channel interval of `microseconds`: (t − 1000) × 1023 / 1000,
// rounded to the nearest integer (halves up) and clamped.
std::int32_t PpmPosition(double microseconds);

class PpmFrames {
 public:
  static constexpr int kMinChannels = 4;
  static constexpr int kMaxChannels = 16;
  static constexpr int kReportedChannels = 8;  // channels 1 … 8: positions 0 … 7
  // Frames of one channel count in a row before they are accepted.
  static constexpr int kConfirmingFrames = 3;
  static constexpr double kSamplesPerMicrosecond = 48000.0 / 1e6;
  // A gap of this long without an edge ends a frame: longer than any channel.
  static constexpr double kGapSamples = 2500.0 * kSamplesPerMicrosecond;

  // An edge at `time`, in samples since the start, rising or falling. Edges come in
  // the order of their times.
  void TakeEdge(double time, bool rising);
  // Whether the next edge's exact time is of use: not while a frame is gathered that is
  // broken already (on a signal of another format, nearly every edge), nor before the
  // first gap. Any other edge may count.
  bool NeedsExactTime() const { return synced && !(open && broken); }
  // With no edge after lastEdgeTime up to sample `now`: ends the frame being gathered
  // when the gap is long enough. Returns true when it did, with `result` set; an
  // accepted frame writes positions 0 … 7 (as many as it has channels) and sets the
  // receiver's FrameDecoded.
  bool EndAfterGap(double now, TInputControl& receiver, PpmFrameResult& result);

  // The frame last finished: its channel count (0 when it had no whole channel), each
  // channel's interval in microseconds, and the time of its first edge.
  int channels = 0;
  double intervals[kMaxChannels] = {};
  double start = 0.0;

  // State below persists across calls and is never reset from outside.
  double lastEdgeTime = 0.0;
  bool synced = false;  // a gap has been seen: edges belong to frames
  bool open = false;    // a frame is being gathered
  bool broken = false;  // an edge missing, or more channels than any frame has
  bool leadRising = false;
  int leadEdges = 0;
  int trailEdges = 0;
  double leadTimes[kMaxChannels + 1] = {};
  double trailTimes[kMaxChannels + 1] = {};
  // The channel count of the latest whole frames, and how many in a row had it.
  int learnedChannels = 0;
  int framesWithLearned = 0;

  bool operator==(const PpmFrames&) const = default;

 private:
  PpmFrameResult Finish(TInputControl& receiver);
};

}  // namespace corvane
