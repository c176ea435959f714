#include "decode/signal_stats.h"

#include <algorithm>

#include "decode/signal_formats.h"

namespace corvane {

namespace {

// The longest run of 0 cells in either format: PCM1024 needs 4 samples for a cell
// (7.2 per cell, rounded), SPCM 4 too (8 per cell, rounded).
constexpr std::int32_t kLongestGlitch = 3;

}  // namespace

// The slicer's sink on the counting path, and the PPM decoders' sink.
struct SignalStatsCollector::CountingDispatch {
  SignalStatsCollector& stats;
  SignalPath& path;
  void DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level) {
    stats.DecodeRun(path, receiver, samples, level);
  }
  void OnPpmFrame(PpmFrameResult result, const PpmFrames& frame) { stats.Count(result, frame); }
};

SignalStatsCollector::SignalStatsCollector() : shadowReceiver_(CreateInputControl()) {}

void SignalStatsCollector::Slice(SignalPath& path, TInputControl& receiver, int count) {
  CountLevel(receiver.Samples, count);
  CountingDispatch dispatch{*this, path};
  // The mode's decoder first and on the program's receiver, exactly as without counting.
  if (FormatOfMode(receiver.Mode).input == SignalInput::kSamples) {
    path.ppm.Decode(receiver, receiver.Samples, count, dispatch);
    path.slicer.Slice(receiver, count, dispatch);
  } else {
    path.slicer.Slice(receiver, count, dispatch);
    EndShadowPpmFrame(static_cast<double>(total_.level.samples));
  }
}

void SignalStatsCollector::EndShadowPpmFrame(double now) {
  PpmFrameResult result;
  if (shadowPpmFrames_.EndAfterGap(now, *shadowReceiver_, result)) Count(result, shadowPpmFrames_, false);
}

void SignalStatsCollector::CountLevel(const std::int16_t* samples, int count) {
  // 32-bit sums hold a whole sample copy (10000 × 32768 < 2^31), and let the loop run
  // on vectors.
  std::int32_t clipped = 0;
  std::int32_t peak = 0;
  std::int32_t sum = 0;
  for (int i = 0; i < count; ++i) {
    const std::int32_t x = samples[i];
    sum += x;
    clipped += (x == 32767) | (x == -32768);
    peak = std::max(peak, x < 0 ? -x : x);
  }
  LevelCounts& level = total_.level;
  level.samples += static_cast<std::uint64_t>(std::max(count, 0));
  level.clipped += static_cast<std::uint64_t>(clipped);
  level.sum += sum;
  level.peak = std::max(level.peak, peak);
  intervalPeak_ = std::max(intervalPeak_, peak);
}

void SignalStatsCollector::DecodeRun(SignalPath& path, TInputControl& receiver, std::int32_t samples,
                                     std::uint8_t level) {
  RunCounts& runs = total_.runs;
  ++runs.runs;
  runs.glitches += samples <= kLongestGlitch;
  runs.longest = std::max(runs.longest, samples);
  intervalLongest_ = std::max(intervalLongest_, samples);
  // The run just ended: the other level begins here.
  runStart_ += samples;
  if (FormatOfMode(receiver.Mode).input == SignalInput::kRuns) {
    EndShadowPpmFrame(runStart_);
    shadowPpmFrames_.TakeEdge(runStart_, level == 0);
  }
  switch (FormatOfMode(receiver.Mode).mode) {
    case kModePcm1024:
      Count(path.pcm1024.DecodeRun(receiver, samples, level));
      Count(shadowSpcm_.DecodeRun(*shadowReceiver_, samples, level));
      break;
    case kModeSpcm:
      Count(path.spcm.DecodeRun(receiver, samples, level));
      Count(shadowPcm1024_.DecodeRun(*shadowReceiver_, samples, level));
      break;
    default:  // a format of samples: both run formats are shadows
      Count(shadowPcm1024_.DecodeRun(*shadowReceiver_, samples, level));
      Count(shadowSpcm_.DecodeRun(*shadowReceiver_, samples, level));
      break;
  }
}

void SignalStatsCollector::Count(Pcm1024RunResult result) {
  Pcm1024Counts& counts = total_.pcm1024;
  switch (result) {
    case Pcm1024RunResult::kSyncAsReceived:
      ++counts.syncsAsReceived;
      break;
    case Pcm1024RunResult::kSyncInverted:
      ++counts.syncsInverted;
      break;
    case Pcm1024RunResult::kFrameAccepted:
      ++counts.frames;
      break;
    case Pcm1024RunResult::kFrameRejected:
      ++counts.rejected;
      break;
    case Pcm1024RunResult::kNone:
      break;
  }
}

void SignalStatsCollector::Count(SpcmRunResult result) {
  SpcmCounts& counts = total_.spcm;
  switch (result) {
    case SpcmRunResult::kSync:
      ++counts.syncs;
      break;
    case SpcmRunResult::kFrameCompleted:
      ++counts.frames;
      break;
    case SpcmRunResult::kFrameLost:
      ++counts.lost;
      break;
    case SpcmRunResult::kNone:
      break;
  }
}

void SignalStatsCollector::Count(PpmFrameResult result, const PpmFrames& frame, bool timed) {
  PpmCounts& counts = total_.ppm;
  switch (result) {
    case PpmFrameResult::kAccepted:
      ++counts.frames;
      ++counts.framesOfChannels[frame.channels];
      if (!timed) break;
      total_.ppmIntervals.Add(frame);
      intervalPpm_.Add(frame);
      break;
    case PpmFrameResult::kRejected:
      ++counts.rejected;
      break;
    case PpmFrameResult::kUnconfirmed:
      ++counts.unconfirmed;
      break;
  }
}

void PpmIntervals::Add(const PpmFrames& frame) {
  for (int i = 0; i < frame.channels; ++i) {
    const double t = frame.intervals[i];
    least[i] = count[i] == 0 ? t : std::min(least[i], t);
    most[i] = count[i] == 0 ? t : std::max(most[i], t);
    sum[i] += t;
    ++count[i];
  }
}

FormatOutcome OutcomeOf(const SignalStats& stats, std::int32_t mode) {
  switch (FormatOfMode(mode).mode) {
    case kModePcm1024:
      return {stats.pcm1024.frames, stats.pcm1024.rejected};
    case kModeSpcm:
      return {stats.spcm.frames, stats.spcm.lost};
    default:
      return {stats.ppm.frames, stats.ppm.rejected};
  }
}

SignalStats SignalStatsCollector::TakeInterval() {
  const SignalStats& a = intervalStart_;
  const SignalStats& b = total_;
  SignalStats interval;
  interval.level = {b.level.samples - a.level.samples, b.level.clipped - a.level.clipped, intervalPeak_,
                    b.level.sum - a.level.sum};
  interval.runs = {b.runs.runs - a.runs.runs, b.runs.glitches - a.runs.glitches, intervalLongest_};
  interval.pcm1024 = {b.pcm1024.syncsAsReceived - a.pcm1024.syncsAsReceived,
                      b.pcm1024.syncsInverted - a.pcm1024.syncsInverted, b.pcm1024.frames - a.pcm1024.frames,
                      b.pcm1024.rejected - a.pcm1024.rejected};
  interval.spcm = {b.spcm.syncs - a.spcm.syncs, b.spcm.frames - a.spcm.frames, b.spcm.lost - a.spcm.lost};
  interval.ppm.frames = b.ppm.frames - a.ppm.frames;
  interval.ppm.rejected = b.ppm.rejected - a.ppm.rejected;
  interval.ppm.unconfirmed = b.ppm.unconfirmed - a.ppm.unconfirmed;
  for (int n = 0; n <= PpmFrames::kMaxChannels; ++n) {
    interval.ppm.framesOfChannels[n] = b.ppm.framesOfChannels[n] - a.ppm.framesOfChannels[n];
  }
  interval.ppmIntervals = intervalPpm_;
  intervalPpm_ = PpmIntervals();
  intervalStart_ = total_;
  intervalPeak_ = 0;
  intervalLongest_ = 0;
  return interval;
}

}  // namespace corvane
