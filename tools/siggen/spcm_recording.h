#pragma once
// A finite SPCM signal of chosen frames, sampled as a recording of just those frames
// holds it: flat signal before the first sync run, and a last transition one cell after
// the last pause, so that a slicer is handed every run of every frame.

#include <cstdint>
#include <vector>

#include "siggen/impairments.h"
#include "siggen/spcm_signal.h"

namespace corvane::siggen {

// The frames in turn, each followed by `pauseSamples` of flat signal, through
// `impairments` except clock drift: the frames keep their nominal length.
std::vector<std::int16_t> SpcmRecording(const std::vector<SpcmSymbols>& frames, std::int32_t pauseSamples,
                                        const Impairments& impairments);

}  // namespace corvane::siggen
