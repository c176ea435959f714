#include "corvane-decode/signal_verdict.h"

namespace corvane::tool {

Verdict Judge(const SignalStats& stats, std::int32_t mode) {
  const FormatOutcome chosen = OutcomeOf(stats, mode);
  const bool otherFrames = FormatAccepted(stats, mode) != nullptr && chosen.frames == 0;
  const LevelCounts& level = stats.level;
  // Integer forms of the limits: more than 1 % clipped; a peak below -40 dBFS, that is
  // below 32768 / 100; more than 5 % of the chosen format's frames failed.
  if (level.clipped * 100 > level.samples) return Verdict::kClipping;
  if (chosen.frames == 0 && !otherFrames && level.peak * 100 < 32768) return Verdict::kNoSignal;
  if (otherFrames) return Verdict::kWrongMode;
  if (chosen.frames > 0 && chosen.failed * 20 > chosen.frames + chosen.failed) return Verdict::kNoisy;
  if (chosen.frames > 0) return Verdict::kOk;
  return Verdict::kUnknown;
}

const SignalFormat* FormatAccepted(const SignalStats& stats, std::int32_t mode) {
  const SignalFormat& own = FormatOfMode(mode);
  if (OutcomeOf(stats, own.mode).frames > 0) return &own;
  const SignalFormat* best = nullptr;
  std::uint64_t most = 0;
  for (const SignalFormat& format : kSignalFormats) {
    const std::uint64_t frames = OutcomeOf(stats, format.mode).frames;
    if (frames > most) {
      best = &format;
      most = frames;
    }
  }
  return best;
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

namespace {

// "PCM1024, SPCM or PPM".
std::string FormatNames() {
  std::string names;
  for (std::size_t i = 0; i < kSignalFormats.size(); ++i) {
    if (i > 0) names += i + 1 == kSignalFormats.size() ? " or " : ", ";
    names += kSignalFormats[i].name;
  }
  return names;
}

std::string ChooseFormat(const SignalFormat& format) {
  std::string text =
      "The signal is " + std::string(format.name) + ": choose --mode " + std::string(format.option);
  if (format.offeredByTray) return text + ", or the TX Type \"" + std::string(format.caption) + "\".";
  return text + " (the tray program does not read " + std::string(format.name) +
         ": run corvane-decode --capture --joystick, or its service).";
}

}  // namespace

std::string Advice(Verdict verdict, const SignalStats& stats, std::int32_t mode) {
  switch (verdict) {
    case Verdict::kClipping:
      return "Lower the input level: more than 1 % of the samples are at full scale.";
    case Verdict::kNoSignal:
      return "Check the cable, the chosen input and its level: the sound card hears next to nothing.";
    case Verdict::kWrongMode:
      return ChooseFormat(*FormatAccepted(stats, mode));
    case Verdict::kNoisy:
      return "Use a shorter cable, a line input rather than a microphone input, or a lower level: more "
             "than 5 % of the frames are damaged.";
    case Verdict::kOk:
      return "Nothing to change in the signal: if the joystick still does not move, look at the channel "
             "map and at the access to the joystick device.";
    case Verdict::kUnknown: break;
  }
  return "Put the transmitter into trainer mode and check that it sends " + FormatNames() +
         ": no decoder reads this signal.";
}

}  // namespace corvane::tool
