#include "corvane-decode/signal_verdict.h"

#include "decode/signal_formats.h"

namespace corvane::tool {

namespace {

struct FormatCounts {
  std::uint64_t frames;
  std::uint64_t failed;  // rejected (PCM1024) or lost (SPCM)
};

FormatCounts CountsOf(const SignalStats& stats, bool spcm) {
  if (spcm) return {stats.spcm.frames, stats.spcm.lost};
  return {stats.pcm1024.frames, stats.pcm1024.rejected};
}

}  // namespace

Verdict Judge(const SignalStats& stats, std::int32_t mode) {
  const bool spcm = mode != 0;
  const FormatCounts chosen = CountsOf(stats, spcm);
  const FormatCounts other = CountsOf(stats, !spcm);
  const LevelCounts& level = stats.level;
  // Integer forms of the limits: more than 1 % clipped; a peak below -40 dBFS, that is
  // below 32768 / 100; more than 5 % of the chosen format's frames failed.
  if (level.clipped * 100 > level.samples) return Verdict::kClipping;
  if (chosen.frames == 0 && other.frames == 0 && level.peak * 100 < 32768) return Verdict::kNoSignal;
  if (chosen.frames == 0 && other.frames > 0) return Verdict::kWrongMode;
  if (chosen.frames > 0 && chosen.failed * 20 > chosen.frames + chosen.failed) return Verdict::kNoisy;
  if (chosen.frames > 0) return Verdict::kOk;
  return Verdict::kUnknown;
}

AcceptedFormat FormatAccepted(const SignalStats& stats, std::int32_t mode) {
  const bool spcm = mode != 0;
  const auto format = [](bool isSpcm) { return isSpcm ? AcceptedFormat::kSpcm : AcceptedFormat::kPcm1024; };
  if (CountsOf(stats, spcm).frames > 0) return format(spcm);
  if (CountsOf(stats, !spcm).frames > 0) return format(!spcm);
  return AcceptedFormat::kNone;
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kClipping: return "clipping";
    case Verdict::kNoSignal: return "no-signal";
    case Verdict::kWrongMode: return "wrong-mode";
    case Verdict::kNoisy: return "noisy";
    case Verdict::kOk: return "ok";
    case Verdict::kUnknown: break;
  }
  return "unknown";
}

const char* FormatName(AcceptedFormat format) {
  switch (format) {
    case AcceptedFormat::kPcm1024: return kSignalFormats[kModePcm1024].option.data();
    case AcceptedFormat::kSpcm: return kSignalFormats[kModeSpcm].option.data();
    case AcceptedFormat::kNone: break;
  }
  return nullptr;
}

std::string Advice(Verdict verdict, std::int32_t mode) {
  switch (verdict) {
    case Verdict::kClipping:
      return "Lower the input level: more than 1 % of the samples are at full scale.";
    case Verdict::kNoSignal:
      return "Check the cable, the chosen input and its level: the sound card hears next to nothing.";
    case Verdict::kWrongMode:
      return mode != 0 ? "The signal is PCM1024: choose --mode pcm1024, or the TX Type \"PCM1024 (Futaba)\"."
                       : "The signal is SPCM: choose --mode spcm, or the TX Type \"SPCM (JR)\".";
    case Verdict::kNoisy:
      return "Use a shorter cable, a line input rather than a microphone input, or a lower level: more "
             "than 5 % of the frames are damaged.";
    case Verdict::kOk:
      return "Nothing to change in the signal: if the joystick still does not move, look at the channel "
             "map and at the access to the joystick device.";
    case Verdict::kUnknown: break;
  }
  return "Put the transmitter into trainer mode and check that it sends PCM1024 or SPCM: neither decoder "
         "reads this signal.";
}

}  // namespace corvane::tool
