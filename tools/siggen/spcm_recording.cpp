#include "siggen/spcm_recording.h"

#include <memory>
#include <utility>

#include "siggen/signal_generator.h"

namespace corvane::siggen {

namespace {

// Flat signal before the first frame: the first sync run starts with a transition.
constexpr std::int32_t kLeadSamples = 400;

// Plays its segments once, then holds the last level.
class SegmentList : public SegmentSource {
 public:
  explicit SegmentList(std::vector<Segment> segments) : segments_(std::move(segments)) {}
  Segment Next() override {
    if (next_ < segments_.size()) return segments_[next_++];
    return Segment{kSpcmCellTicks, segments_.back().high};
  }

 private:
  std::vector<Segment> segments_;
  std::size_t next_ = 0;
};

}  // namespace

std::vector<std::int16_t> SpcmRecording(const std::vector<SpcmSymbols>& frames, std::int32_t pauseSamples,
                                        const Impairments& impairments) {
  std::vector<Segment> segments;
  segments.reserve(frames.size() * kSpcmFrameSegments + 2);
  segments.push_back(Segment{kLeadSamples * kTicksPerSample, false});
  for (const SpcmSymbols& symbols : frames) {
    const SpcmFrame frame =
        SpcmFrameSegments(SpcmFramePatterns(symbols), kSpcmSyncSamples, pauseSamples, segments.back().high);
    segments.insert(segments.end(), frame.begin(), frame.end());
  }
  // The transition that ends the last pause.
  segments.push_back(Segment{kSpcmCellTicks, !segments.back().high});
  std::int64_t ticks = 0;
  for (const Segment& s : segments) ticks += s.ticks;

  Impairments withoutDrift = impairments;
  withoutDrift.driftPpm = 0.0;
  SignalGenerator generator(std::make_unique<SegmentList>(std::move(segments)), withoutDrift);
  return generator.Generate(static_cast<std::size_t>(ticks / kTicksPerSample));
}

}  // namespace corvane::siggen
