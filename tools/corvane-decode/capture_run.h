#pragma once
// --capture: the default recording device through the program's capture path, on a Qt
// event loop, until a stop signal or the time limit.

#include <span>
#include <string>

#include "corvane-decode/decode_options.h"
#include "corvane-decode/report_sink.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"

namespace corvane::tool {

// Captures into the sinks; at the end input is stopped and every buffer freed. False
// with `error` set when the device cannot be opened at the start and `options.wait` is
// not set; `summary` tells what was read either way.
bool RunCapture(const DecodeOptions& options, TInputControl& receiver, SignalPath& path,
                std::span<ReportSink* const> sinks, DecodeSummary& summary, std::string& error);

}  // namespace corvane::tool
