#pragma once
// The Input page's mixer from the command line: --list-ports, and --device/--port/--volume,
// which choose the recorded source before --capture records.

#include <cstdio>
#include <string>

#include "corvane-decode/decode_options.h"
#include "decode/input_control.h"
#include "platform/platform.h"

namespace corvane::tool {

// Which mixer `choice` names, then every recording device and its ports, as the Input page
// lists them: a line per device and per port, or with `json` one object per device.
void PrintPorts(MixerDevice& mixer, const MixerChoice& choice, bool json, std::FILE* out);

// Selects the port of options.device as the Input page does (SelectSource, then
// ApplyMixer with options.volume or the level the mixer has). A device or port that
// does not exist: false, `error` names what there is, and the mixer is not touched.
bool ChooseSource(MixerDevice& mixer, TInputControl& receiver, const DecodeOptions& options,
                  std::string& error);

}  // namespace corvane::tool
