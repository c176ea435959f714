#include "corvane-decode/stats_report.h"

#include <cmath>
#include <string>

#include "corvane-decode/json_string.h"
#include "corvane-decode/signal_verdict.h"
#include "decode/signal_formats.h"

namespace corvane::tool {

namespace {

using Count = unsigned long long;

// Full scale is the magnitude of -32768.
double PeakDbfs(std::int32_t peak) { return 20.0 * std::log10(static_cast<double>(peak) / 32768.0); }

double Percent(std::uint64_t part, std::uint64_t whole) {
  return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

double Dc(const LevelCounts& level) { return static_cast<double>(level.sum) / static_cast<double>(level.samples); }

// The peak, or a word where there is no level to take the logarithm of.
void PrintPeak(std::FILE* out, std::int32_t peak) {
  if (peak == 0) {
    std::fputs("peak -inf dBFS (every sample 0)", out);
  } else {
    std::fprintf(out, "peak %.1f dBFS", PeakDbfs(peak));
  }
}

}  // namespace

void StatsSink::OnEnd(const DecodeSummary&) {
  if (json_) {
    PrintStatsJson(out_, stats_.Total(), mode_);
  } else {
    PrintStatsReport(out_, stats_.Total(), mode_);
  }
  std::fflush(out_);
}

namespace {

// The formats the report names: the mode's and every shadow of runs, and a shadow of
// samples only when it accepted frames (on a signal of runs it finds none, and its lines
// would say nothing).
bool Shown(const SignalStats& s, const SignalFormat& format, std::int32_t mode) {
  const SignalFormat& own = FormatOfMode(mode);
  return &format == &own || own.input == SignalInput::kSamples || format.input == SignalInput::kRuns ||
         OutcomeOf(s, format.mode).frames > 0;
}

// "spcm", "spcm and ppm": the shown formats other than the mode's.
std::string ShadowNames(const SignalStats& s, std::int32_t mode, int& count) {
  std::string names;
  count = 0;
  for (const SignalFormat& format : kSignalFormats) {
    if (&format == &FormatOfMode(mode) || !Shown(s, format, mode)) continue;
    if (count++ > 0) names += " and ";
    names += format.option;
  }
  return names;
}

void PrintPpmLines(std::FILE* out, const PpmCounts& p, const PpmIntervals& intervals) {
  std::fprintf(
      out, "  ppm      %llu frames accepted, %llu rejected (%.1f %%), %llu while the channel count settled\n",
      static_cast<Count>(p.frames), static_cast<Count>(p.rejected),
      Percent(p.rejected, p.frames + p.rejected), static_cast<Count>(p.unconfirmed));
  if (p.frames == 0) return;
  std::fputs("  channels", out);
  const char* separator = " ";
  for (int n = PpmFrames::kMaxChannels; n >= 0; --n) {
    if (p.framesOfChannels[n] == 0) continue;
    std::fprintf(out, "%s%d per frame (%llu frames)", separator, n,
                 static_cast<Count>(p.framesOfChannels[n]));
    separator = ", ";
  }
  std::fputc('\n', out);
  for (int i = 0; i < PpmFrames::kMaxChannels; ++i) {
    if (intervals.count[i] == 0) continue;
    char name[8];
    std::snprintf(name, sizeof name, "Ch.%d", i + 1);
    std::fprintf(out, "  %-8s %.1f us, spread %.1f us (%.1f - %.1f)\n", name,
                 intervals.sum[i] / static_cast<double>(intervals.count[i]),
                 intervals.most[i] - intervals.least[i], intervals.least[i], intervals.most[i]);
  }
}

void PrintFormatLines(std::FILE* out, const SignalStats& s, const SignalFormat& format) {
  switch (format.mode) {
    case kModePcm1024: {
      const Pcm1024Counts& p = s.pcm1024;
      std::fprintf(out,
                   "  pcm1024  %llu sync words (%llu as received, %llu inverted), %llu frames accepted, %llu "
                   "rejected (%.1f %%)\n",
                   static_cast<Count>(p.Syncs()), static_cast<Count>(p.syncsAsReceived),
                   static_cast<Count>(p.syncsInverted), static_cast<Count>(p.frames),
                   static_cast<Count>(p.rejected), Percent(p.rejected, p.frames + p.rejected));
      return;
    }
    case kModeSpcm:
      std::fprintf(out, "  spcm     %llu sync runs, %llu frames completed, %llu lost (%.1f %%)\n",
                   static_cast<Count>(s.spcm.syncs), static_cast<Count>(s.spcm.frames),
                   static_cast<Count>(s.spcm.lost), Percent(s.spcm.lost, s.spcm.frames + s.spcm.lost));
      return;
    default:
      PrintPpmLines(out, s.ppm, s.ppmIntervals);
      return;
  }
}

void PrintFormatJson(std::FILE* out, const SignalStats& s, const SignalFormat& format) {
  switch (format.mode) {
    case kModePcm1024:
      std::fprintf(out, "\"pcm1024\": {\"syncs\": %llu, \"frames\": %llu, \"rejected\": %llu}, ",
                   static_cast<Count>(s.pcm1024.Syncs()), static_cast<Count>(s.pcm1024.frames),
                   static_cast<Count>(s.pcm1024.rejected));
      return;
    case kModeSpcm:
      std::fprintf(out, "\"spcm\": {\"syncs\": %llu, \"frames\": %llu, \"lost\": %llu}, ",
                   static_cast<Count>(s.spcm.syncs), static_cast<Count>(s.spcm.frames),
                   static_cast<Count>(s.spcm.lost));
      return;
    default:
      break;
  }
  const PpmCounts& p = s.ppm;
  std::fprintf(out, "\"ppm\": {\"frames\": %llu, \"rejected\": %llu, \"unconfirmed\": %llu, \"channels\": {",
               static_cast<Count>(p.frames), static_cast<Count>(p.rejected),
               static_cast<Count>(p.unconfirmed));
  const char* separator = "";
  for (int n = 0; n <= PpmFrames::kMaxChannels; ++n) {
    if (p.framesOfChannels[n] == 0) continue;
    std::fprintf(out, "%s\"%d\": %llu", separator, n, static_cast<Count>(p.framesOfChannels[n]));
    separator = ", ";
  }
  std::fputs("}, \"intervals_us\": [", out);
  const PpmIntervals& t = s.ppmIntervals;
  separator = "";
  for (int i = 0; i < PpmFrames::kMaxChannels && t.count[i] > 0; ++i) {
    std::fprintf(out, "%s{\"mean\": %.1f, \"min\": %.1f, \"max\": %.1f}", separator,
                 t.sum[i] / static_cast<double>(t.count[i]), t.least[i], t.most[i]);
    separator = ", ";
  }
  std::fputs("]}, ", out);
}

}  // namespace

void PrintStatsReport(std::FILE* out, const SignalStats& s, std::int32_t mode) {
  const Verdict verdict = Judge(s, mode);
  int shadows = 0;
  const std::string shadowNames = ShadowNames(s, mode, shadows);
  std::fprintf(out, "signal stats (decoded as %s; %s read by %s)\n", FormatOfMode(mode).option.data(),
               shadowNames.c_str(), shadows == 1 ? "a shadow decoder" : "shadow decoders");
  std::fprintf(out, "  level    %llu samples, %llu clipped (%.2f %%), ", static_cast<Count>(s.level.samples),
               static_cast<Count>(s.level.clipped), Percent(s.level.clipped, s.level.samples));
  PrintPeak(out, s.level.peak);
  if (s.level.samples > 0) std::fprintf(out, ", DC %.1f", Dc(s.level));
  std::fputc('\n', out);
  std::fprintf(out, "  runs     %llu runs, %llu glitches (1-3 samples), longest %d samples\n",
               static_cast<Count>(s.runs.runs), static_cast<Count>(s.runs.glitches), s.runs.longest);
  for (const SignalFormat& format : kSignalFormats) {
    if (Shown(s, format, mode)) PrintFormatLines(out, s, format);
  }
  std::fprintf(out, "  verdict  %s\n  advice   %s\n", VerdictName(verdict), Advice(verdict, s, mode).c_str());
}

void PrintStatsJson(std::FILE* out, const SignalStats& s, std::int32_t mode) {
  const Verdict verdict = Judge(s, mode);
  const SignalFormat* format = FormatAccepted(s, mode);
  std::fprintf(out, "{\"stats\": {\"samples\": %llu, \"clipped\": %llu, ", static_cast<Count>(s.level.samples),
               static_cast<Count>(s.level.clipped));
  // JSON has no infinity: a silent or empty input has no peak level, and no DC without
  // a sample.
  if (s.level.peak == 0) {
    std::fputs("\"peak_dbfs\": null, ", out);
  } else {
    std::fprintf(out, "\"peak_dbfs\": %.1f, ", PeakDbfs(s.level.peak));
  }
  if (s.level.samples == 0) {
    std::fputs("\"dc\": null, ", out);
  } else {
    std::fprintf(out, "\"dc\": %.1f, ", Dc(s.level));
  }
  std::fprintf(out, "\"runs\": %llu, \"glitches\": %llu, ", static_cast<Count>(s.runs.runs),
               static_cast<Count>(s.runs.glitches));
  for (const SignalFormat& shown : kSignalFormats) {
    if (Shown(s, shown, mode)) PrintFormatJson(out, s, shown);
  }
  std::fprintf(out, "\"format\": %s, \"verdict\": \"%s\", \"advice\": %s}}\n",
               format != nullptr ? JsonString(std::string(format->option)).c_str() : "null",
               VerdictName(verdict), JsonString(Advice(verdict, s, mode)).c_str());
}

void PrintStatsLine(std::FILE* out, const SignalStats& s, std::int32_t mode) {
  if (s.level.samples == 0) {
    std::fputs("corvane-decode: stats: nothing recorded\n", out);
    std::fflush(out);
    return;
  }
  std::fputs("corvane-decode: stats: ", out);
  PrintPeak(out, s.level.peak);
  std::fprintf(out, ", %.2f %% clipped", Percent(s.level.clipped, s.level.samples));
  for (const SignalFormat& format : kSignalFormats) {
    if (!Shown(s, format, mode)) continue;
    const FormatOutcome outcome = OutcomeOf(s, format.mode);
    std::fprintf(out, "; %s %llu frames, %llu %s", format.option.data(), static_cast<Count>(outcome.frames),
                 static_cast<Count>(outcome.failed), format.mode == kModeSpcm ? "lost" : "rejected");
  }
  std::fprintf(out, "; %s\n", VerdictName(Judge(s, mode)));
  std::fflush(out);
}

}  // namespace corvane::tool
