#pragma once
// One side of a simple mixer element, read and written channel by channel, so that a
// value read can be written back exactly, unequal channels and all.

#include <alsa/asoundlib.h>

#include <string>
#include <vector>

#include "platform/linux/alsa_card_layout.h"

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

// A kernel control of the card read and written past the simple mixer, every value of it
// (booleans as 0 or 1): the simple mixer sets an element's global "NAME Switch" on by
// itself, and reads the "NAME Capture Switch" or "NAME Capture Route" of some cards from
// another control. False when the card has no such control.
bool ReadRawControl(snd_mixer_t* mixer, const std::string& card, const std::string& name, unsigned index,
                    std::vector<long>& values);
bool WriteRawControl(snd_mixer_t* mixer, const std::string& card, const std::string& name, unsigned index,
                     const std::vector<long>& values);

}  // namespace corvane
