#include "decode/signal_stats.h"

#include <algorithm>

#include "decode/signal_formats.h"

namespace corvane {

namespace {

// The longest run of 0 cells in either format: PCM1024 needs 4 samples for a cell
// (7.2 per cell, rounded), SPCM 4 too (8 per cell, rounded).
constexpr std::int32_t kLongestGlitch = 3;

// The decoders keep no counts: what a run did is read from the state before and after
// it. Runs one run through DECODER and tells whether that run completed a frame: the
// frame-decoded flag is cleared for the call so that it tells about this run alone, and
// set again afterwards if it was set before.
template <typename Decoder>
bool DecodeOneRun(Decoder& decoder, TInputControl& receiver, std::int32_t samples, std::uint8_t level) {
  const bool decodedBefore = receiver.FrameDecoded;
  receiver.FrameDecoded = false;
  decoder.DecodeRun(receiver, samples, level);
  const bool decoded = receiver.FrameDecoded;
  receiver.FrameDecoded = decodedBefore || decoded;
  return decoded;
}

}  // namespace

// The slicer's sink on the counting path.
struct SignalStatsCollector::CountingDispatch {
  SignalStatsCollector& stats;
  SignalPath& path;
  void DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level) {
    stats.DecodeRun(path, receiver, samples, level);
  }
};

SignalStatsCollector::SignalStatsCollector() : shadowReceiver_(CreateInputControl()) {}

void SignalStatsCollector::Slice(SignalPath& path, TInputControl& receiver, int count) {
  CountLevel(receiver.Samples, count);
  CountingDispatch dispatch{*this, path};
  path.slicer.Slice(receiver, count, dispatch);
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
  // The mode's decoder first and on the program's receiver, exactly as without counting.
  if (receiver.Mode == kModePcm1024) {
    DecodePcm1024(path.pcm1024, receiver, samples, level);
    DecodeSpcm(shadowSpcm_, *shadowReceiver_, samples, level);
  } else {
    DecodeSpcm(path.spcm, receiver, samples, level);
    DecodePcm1024(shadowPcm1024_, *shadowReceiver_, samples, level);
  }
}

void SignalStatsCollector::DecodePcm1024(Pcm1024Decoder& decoder, TInputControl& receiver,
                                         std::int32_t samples, std::uint8_t level) {
  const bool wasInSync = decoder.inSync;
  const std::int32_t phase = decoder.framePhase;
  const bool accepted = DecodeOneRun(decoder, receiver, samples, level);

  Pcm1024Counts& counts = total_.pcm1024;
  if (!wasInSync) {
    // Only a sync word enters the reading state; its phase tells the polarity.
    if (decoder.inSync) ++(decoder.framePhase >= 4 ? counts.syncsAsReceived : counts.syncsInverted);
  } else if (decoder.framePhase != phase) {
    // Reading, the phase moves only when a frame ends.
    ++(accepted ? counts.frames : counts.rejected);
  }
}

void SignalStatsCollector::DecodeSpcm(SpcmDecoder& decoder, TInputControl& receiver, std::int32_t samples,
                                      std::uint8_t level) {
  const bool wasInSync = decoder.inSync;
  const bool completed = DecodeOneRun(decoder, receiver, samples, level);

  SpcmCounts& counts = total_.spcm;
  if (!wasInSync) {
    counts.syncs += decoder.inSync;
  } else if (!decoder.inSync) {
    // A frame leaves sync either complete or at an invalid symbol.
    ++(completed ? counts.frames : counts.lost);
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
  intervalStart_ = total_;
  intervalPeak_ = 0;
  intervalLongest_ = 0;
  return interval;
}

}  // namespace corvane
