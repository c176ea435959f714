#pragma once
// The receiver's end: capture stops and the mixer gets its former values back.

#include <memory>

#include "decode/input_control.h"
#include "platform/audio_device.h"
#include "platform/mixer_device.h"

namespace corvane {

// Stops input, restores the mixer, frees the buffers the device still holds and
// releases the receiver. A missing receiver is skipped. Announcements of this
// receiver's buffers must not be handled afterwards.
void DestroyInputControl(std::unique_ptr<TInputControl>& receiver, AudioDevice& audio,
                         MixerDevice& mixer);

}  // namespace corvane
