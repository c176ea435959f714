#pragma once
// --capture: the default recording device through the program's capture path, on a Qt
// event loop, until a stop signal or the time limit.

#include <span>
#include <string>

#include "corvane-decode/decode_options.h"
#include "corvane-decode/report_sink.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "decode/signal_stats.h"

namespace corvane::tool {

// Captures into the sinks; at the end input is stopped and every buffer freed. False
// with `error` set when the device cannot be opened at the start and `options.wait` is
// not set; `summary` tells what was read either way. With `stats` (the path's counter),
// a short line on stderr every few seconds tells what they carried.
bool RunCapture(const DecodeOptions& options, TInputControl& receiver, SignalPath& path,
                SignalStatsCollector* stats, std::span<ReportSink* const> sinks, DecodeSummary& summary,
                std::string& error);

}  // namespace corvane::tool
