#pragma once
// What the counts of an input say about it, in one word, and what to change, in one
// sentence.

#include <cstdint>
#include <string>

#include "decode/signal_formats.h"
#include "decode/signal_stats.h"

namespace corvane::tool {

enum class Verdict { kClipping, kNoSignal, kWrongMode, kNoisy, kOk, kUnknown };

// For the input decoded in `mode` (FormatOfMode), the first of the verdicts that
// applies, in the order of the enumeration.
Verdict Judge(const SignalStats& stats, std::int32_t mode);
// The format whose frames were accepted: the mode's when it has any, else the one of
// the others with the most (the first in kSignalFormats of equals); nullptr when none has.
const SignalFormat* FormatAccepted(const SignalStats& stats, std::int32_t mode);

const char* VerdictName(Verdict verdict);  // "clipping", "no-signal", …
// One sentence; for wrong-mode it names the --mode (and the TX Type) of the format
// whose frames were accepted.
std::string Advice(Verdict verdict, const SignalStats& stats, std::int32_t mode);

}  // namespace corvane::tool
