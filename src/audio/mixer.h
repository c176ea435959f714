#pragma once
// The sound card's mixer: lists devices and their recording sources, makes the chosen
// source the recorded one at the slider's level, and gives the mixer back its former
// values when another source is chosen and when the receiver ends.
//
// No mixer is held between operations: each opens the mixer and closes it again.

#include <cstdint>
#include <string>
#include <vector>

#include "decode/input_control.h"
#include "platform/mixer_device.h"

namespace corvane {

// Appends the capture devices' names. False when a device's capabilities cannot be
// read: the names before it stay, later devices are not listed.
bool ListInputDevices(MixerDevice& mixer, std::vector<std::string>& list);

// Appends the names of the recording destination's source lines of `device`. False
// when the mixer cannot be opened or has no recording destination.
bool ListInputPorts(MixerDevice& mixer, std::int32_t device, std::vector<std::string>& list);

// Gives the previous source its values back, then finds the multiplexer item, volume
// and playback mute of source `source` of `device` and keeps their current values.
void SelectSource(TInputControl& receiver, MixerDevice& mixer, std::int32_t device,
                  std::int32_t source);

// Writes the volume, mutes the source's playback namesake and selects the source on
// the multiplexer. Returns the result of the multiplexer write.
bool ApplyMixer(TInputControl& receiver, MixerDevice& mixer, std::int32_t volume);

// The chosen source's volume, or -1.
std::int32_t ReadVolume(TInputControl& receiver, MixerDevice& mixer);

void SaveMixer(TInputControl& receiver, MixerDevice& mixer);
void RestoreMixer(TInputControl& receiver, MixerDevice& mixer);

// A control's value (items = 0) or its items as a mask (bit i = item i); -1 when there
// is no mixer, no control or the value cannot be read.
std::int32_t GetControlValue(TInputControl& receiver, MixerDevice& mixer, std::int32_t control,
                             std::int32_t items);

// Writes a value (items = 0) or a mask of items. False when nothing could be written.
bool SetControlValue(TInputControl& receiver, MixerDevice& mixer, std::int32_t control,
                     std::int32_t value, std::int32_t items);

}  // namespace corvane
