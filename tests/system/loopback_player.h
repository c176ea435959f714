// Plays a signal into the snd-aloop loopback card, whose capture side then records it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane::systest {

// snd-aloop pairs substreams crosswise: what is played on device 1 is captured on device 0,
// the card's first capture device, which "default" is in the VM (see asound-loopback.conf).
inline constexpr const char* kLoopbackPlayback = "hw:Loopback,1,0";
inline constexpr const char* kLoopbackCapture = "hw:Loopback,0,0";

// Plays SAMPLES (16-bit mono, 48 000 samples/s) and returns when all have reached the capture
// side. Blocks in real time; run it on a thread of its own while the capture side records.
// Throws std::runtime_error when the device cannot be used or playback ran dry (a gap).
void PlayThroughLoopback(std::span<const std::int16_t> samples, const std::string& device = kLoopbackPlayback);

}  // namespace corvane::systest
