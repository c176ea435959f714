#pragma once
// What the input carried, counted on the way through the signal path: the samples'
// level, the runs the slicer handed over, and what the decoder of every format made of
// the input, from the results each decoder gives. The format the mode selects is counted
// on the program's own decoder; the others on shadow decoders with their own state and
// their own receiver, which nothing else reads.

#include <cstdint>
#include <memory>

#include "decode/input_control.h"
#include "decode/pcm1024_decoder.h"
#include "decode/ppm_frames.h"
#include "decode/signal_path.h"
#include "decode/spcm_decoder.h"

namespace corvane {

struct LevelCounts {
  std::uint64_t samples = 0;
  std::uint64_t clipped = 0;  // samples at -32768 or 32767
  std::int32_t peak = 0;      // the largest magnitude, 0 … 32768
  std::int64_t sum = 0;       // of every sample: the DC is sum / samples
};

struct RunCounts {
  std::uint64_t runs = 0;
  std::uint64_t glitches = 0;  // runs of 1 … 3 samples: no cell of either format
  std::int32_t longest = 0;
};

struct Pcm1024Counts {
  std::uint64_t syncsAsReceived = 0;  // sync words of frame phase 4 and 6
  std::uint64_t syncsInverted = 0;    // sync words of frame phase 0 and 2
  std::uint64_t frames = 0;           // accepted, those that carry no channel too
  std::uint64_t rejected = 0;         // by a packet's check byte
  std::uint64_t Syncs() const { return syncsAsReceived + syncsInverted; }
};

struct SpcmCounts {
  std::uint64_t syncs = 0;   // sync runs that started a frame
  std::uint64_t frames = 0;  // completed
  std::uint64_t lost = 0;    // to an invalid symbol
};

struct PpmCounts {
  std::uint64_t frames = 0;       // accepted
  std::uint64_t rejected = 0;     // dropped whole: a channel missing or impossible
  std::uint64_t unconfirmed = 0;  // whole, while a new channel count was being confirmed
  // Accepted frames by their number of channels.
  std::uint64_t framesOfChannels[PpmFrames::kMaxChannels + 1] = {};
};

// Each channel's interval over the accepted PPM frames, in microseconds.
struct PpmIntervals {
  std::uint64_t count[PpmFrames::kMaxChannels] = {};
  double least[PpmFrames::kMaxChannels] = {};
  double most[PpmFrames::kMaxChannels] = {};
  double sum[PpmFrames::kMaxChannels] = {};
  void Add(const PpmFrames& frame);
};

struct SignalStats {
  LevelCounts level;
  RunCounts runs;
  Pcm1024Counts pcm1024;
  SpcmCounts spcm;
  PpmCounts ppm;
  PpmIntervals ppmIntervals;
};

// A format's frames and its failed ones (rejected or lost), the same for every format.
struct FormatOutcome {
  std::uint64_t frames = 0;
  std::uint64_t failed = 0;
};
FormatOutcome OutcomeOf(const SignalStats& stats, std::int32_t mode);

// Set as the signal path's counter, it counts everything the path slices.
class SignalStatsCollector final : public SliceCounter {
 public:
  SignalStatsCollector();

  // Slices like the plain path, with the same runs to the same decoder, and counts.
  void Slice(SignalPath& path, TInputControl& receiver, int count) override;

  // Everything since the start.
  const SignalStats& Total() const { return total_; }
  // Everything since the previous call (or the start): counts, peak, longest run and
  // PPM intervals.
  SignalStats TakeInterval();

  // The results of the decoders, counted.
  void Count(Pcm1024RunResult result);
  void Count(SpcmRunResult result);
  // `timed`: the frame's edges were timed between samples (PPM mode), so its intervals
  // are kept too.
  void Count(PpmFrameResult result, const PpmFrames& frame, bool timed = true);

 private:
  struct CountingDispatch;

  void CountLevel(const std::int16_t* samples, int count);
  // One run: counted, handed to the mode's decoder as always, then to the shadows.
  void DecodeRun(SignalPath& path, TInputControl& receiver, std::int32_t samples, std::uint8_t level);
  // Ends the shadow PPM frame when a gap has passed by `now`.
  void EndShadowPpmFrame(double now);

  // The decoders of the formats the mode does not select, and the receiver they write.
  Pcm1024Decoder shadowPcm1024_;
  SpcmDecoder shadowSpcm_;
  // In a mode of runs, PPM frames are counted from the same runs, on edges at whole
  // samples: enough to tell a PPM signal, at a cost per run rather than per sample.
  PpmFrames shadowPpmFrames_;
  double runStart_ = 0.0;  // where the slicer's current run began, in samples
  std::unique_ptr<TInputControl> shadowReceiver_;

  SignalStats total_;
  SignalStats intervalStart_;        // the total when the interval began
  std::int32_t intervalPeak_ = 0;
  std::int32_t intervalLongest_ = 0;
  PpmIntervals intervalPpm_;
};

}  // namespace corvane
