#pragma once
// One side of a simple mixer element, read and written channel by channel, so that a
// value read can be written back exactly, unequal channels and all.

#include <alsa/asoundlib.h>

#include <vector>

namespace corvane {

enum class ElementPart {
  kCaptureVolume,   // steps
  kCaptureSwitch,   // 0 or 1
  kPlaybackSwitch,  // 0 or 1
  kEnumItem,        // the selected item
};

bool HasPart(snd_mixer_elem_t* elem, ElementPart part);

// Every channel's value (one when the channels are joined). False when one cannot be read.
bool ReadChannels(snd_mixer_elem_t* elem, ElementPart part, std::vector<long>& values);

// Each channel its value, as ReadChannels gave them.
bool WriteChannels(snd_mixer_elem_t* elem, ElementPart part, const std::vector<long>& values);

// The same value on every channel.
bool WriteAllChannels(snd_mixer_elem_t* elem, ElementPart part, long value);

}  // namespace corvane
