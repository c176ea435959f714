#pragma once
// What the counts of an input say about it, in one word, and what to change, in one
// sentence.

#include <cstdint>
#include <string>

#include "decode/signal_stats.h"

namespace corvane::tool {

enum class Verdict { kClipping, kNoSignal, kWrongMode, kNoisy, kOk, kUnknown };

// The format whose frames were accepted: the mode's when it has any, else the other
// one's; none when neither has.
enum class AcceptedFormat { kNone, kPcm1024, kSpcm };

// For the input decoded in `mode` (0 = PCM1024, any other value = SPCM), the first of
// the verdicts that applies, in the order of the enumeration.
Verdict Judge(const SignalStats& stats, std::int32_t mode);
AcceptedFormat FormatAccepted(const SignalStats& stats, std::int32_t mode);

const char* VerdictName(Verdict verdict);  // "clipping", "no-signal", …
const char* FormatName(AcceptedFormat format);  // "pcm1024", "spcm"; nullptr for none
// One sentence; for wrong-mode it names the --mode and the TX Type to choose.
std::string Advice(Verdict verdict, std::int32_t mode);

}  // namespace corvane::tool
