#pragma once
// --stats: the health of the whole input after decoding, as a readable report or as one
// last JSON line, and the short line that --capture prints every few seconds.

#include <cstdint>
#include <cstdio>

#include "corvane-decode/report_sink.h"
#include "decode/signal_stats.h"

namespace corvane::tool {

// How often the short line comes while capturing.
inline constexpr int kStatsLineMilliseconds = 2000;

// Prints the report of everything the collector counted when decoding ends.
class StatsSink : public ReportSink {
 public:
  StatsSink(std::FILE* out, bool json, const SignalStatsCollector& stats, std::int32_t mode)
      : out_(out), json_(json), stats_(stats), mode_(mode) {}
  void OnDecodedBuffer(const DecodedBuffer&) override {}
  void OnEnd(const DecodeSummary& summary) override;

 private:
  std::FILE* out_;
  bool json_;
  const SignalStatsCollector& stats_;
  std::int32_t mode_;
};

void PrintStatsReport(std::FILE* out, const SignalStats& stats, std::int32_t mode);
void PrintStatsJson(std::FILE* out, const SignalStats& stats, std::int32_t mode);
// One line: the level, both formats' frames and the verdict of `stats`.
void PrintStatsLine(std::FILE* out, const SignalStats& stats, std::int32_t mode);

}  // namespace corvane::tool
