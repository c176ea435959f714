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

void PrintStatsReport(std::FILE* out, const SignalStats& s, std::int32_t mode) {
  const bool spcm = mode != kModePcm1024;
  const Verdict verdict = Judge(s, mode);
  const char* const pcm1024 = kSignalFormats[kModePcm1024].option.data();
  const char* const spcmName = kSignalFormats[kModeSpcm].option.data();
  std::fprintf(out, "signal stats (decoded as %s; %s read by a shadow decoder)\n", spcm ? spcmName : pcm1024,
               spcm ? pcm1024 : spcmName);
  std::fprintf(out, "  level    %llu samples, %llu clipped (%.2f %%), ", static_cast<Count>(s.level.samples),
               static_cast<Count>(s.level.clipped), Percent(s.level.clipped, s.level.samples));
  PrintPeak(out, s.level.peak);
  if (s.level.samples > 0) std::fprintf(out, ", DC %.1f", Dc(s.level));
  std::fputc('\n', out);
  std::fprintf(out, "  runs     %llu runs, %llu glitches (1-3 samples), longest %d samples\n",
               static_cast<Count>(s.runs.runs), static_cast<Count>(s.runs.glitches), s.runs.longest);
  const Pcm1024Counts& p = s.pcm1024;
  std::fprintf(out,
               "  pcm1024  %llu sync words (%llu as received, %llu inverted), %llu frames accepted, %llu "
               "rejected (%.1f %%)\n",
               static_cast<Count>(p.Syncs()), static_cast<Count>(p.syncsAsReceived),
               static_cast<Count>(p.syncsInverted), static_cast<Count>(p.frames), static_cast<Count>(p.rejected),
               Percent(p.rejected, p.frames + p.rejected));
  std::fprintf(out, "  spcm     %llu sync runs, %llu frames completed, %llu lost (%.1f %%)\n",
               static_cast<Count>(s.spcm.syncs), static_cast<Count>(s.spcm.frames), static_cast<Count>(s.spcm.lost),
               Percent(s.spcm.lost, s.spcm.frames + s.spcm.lost));
  std::fprintf(out, "  verdict  %s\n  advice   %s\n", VerdictName(verdict), Advice(verdict, mode).c_str());
}

void PrintStatsJson(std::FILE* out, const SignalStats& s, std::int32_t mode) {
  const Verdict verdict = Judge(s, mode);
  const char* format = FormatName(FormatAccepted(s, mode));
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
  std::fprintf(out,
               "\"runs\": %llu, \"glitches\": %llu, \"pcm1024\": {\"syncs\": %llu, \"frames\": %llu, "
               "\"rejected\": %llu}, \"spcm\": {\"syncs\": %llu, \"frames\": %llu, \"lost\": %llu}, ",
               static_cast<Count>(s.runs.runs), static_cast<Count>(s.runs.glitches),
               static_cast<Count>(s.pcm1024.Syncs()), static_cast<Count>(s.pcm1024.frames),
               static_cast<Count>(s.pcm1024.rejected), static_cast<Count>(s.spcm.syncs),
               static_cast<Count>(s.spcm.frames), static_cast<Count>(s.spcm.lost));
  std::fprintf(out, "\"format\": %s, \"verdict\": \"%s\", \"advice\": %s}}\n",
               format != nullptr ? JsonString(format).c_str() : "null", VerdictName(verdict),
               JsonString(Advice(verdict, mode)).c_str());
}

void PrintStatsLine(std::FILE* out, const SignalStats& s, std::int32_t mode) {
  if (s.level.samples == 0) {
    std::fputs("corvane-decode: stats: nothing recorded\n", out);
    std::fflush(out);
    return;
  }
  std::fputs("corvane-decode: stats: ", out);
  PrintPeak(out, s.level.peak);
  std::fprintf(out, ", %.2f %% clipped; pcm1024 %llu frames, %llu rejected; spcm %llu frames, %llu lost; %s\n",
               Percent(s.level.clipped, s.level.samples), static_cast<Count>(s.pcm1024.frames),
               static_cast<Count>(s.pcm1024.rejected), static_cast<Count>(s.spcm.frames),
               static_cast<Count>(s.spcm.lost), VerdictName(Judge(s, mode)));
  std::fflush(out);
}

}  // namespace corvane::tool
