#pragma once
// Capture with two rotating 2000-byte buffers, and the path of one filled buffer into
// the slicer.

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "platform/audio_device.h"

namespace corvane {

inline constexpr std::uint32_t kCaptureBufferBytes = 2000;
inline constexpr std::uint32_t kCaptureRate = 48000;

// Opens the default recording device and queues both buffers. Does nothing while running.
void StartInput(TInputControl& receiver, AudioDevice& device, WaveInListener* listener);

// Stops, resets and closes the device. Does nothing while stopped.
void StopInput(TInputControl& receiver, AudioDevice& device);

// Takes back the buffer the device announced, copies its samples, slices them and
// queues the buffer again. Returns whether a frame was decoded in it.
bool ProcessBuffer(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                   WaveHeader* header);

// Frees the buffers of stopped captures that the device has not announced back yet.
// Only for the receiver's end, when no announcement will be handled any more.
void ReleasePendingBuffers(TInputControl& receiver);

}  // namespace corvane
