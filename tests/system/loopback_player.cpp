#include "loopback_player.h"

#include <stdexcept>
#include <vector>

#include "pcm_stream.h"

namespace corvane::systest {

void PlayThroughLoopback(std::span<const std::int16_t> samples, const std::string& device) {
  PcmStream playback(device, PcmStream::Direction::Playback);
  playback.Write(samples);
  // snd-aloop hands the capture side zeros in place of what a drained playback still held in
  // its buffer, so a buffer of silence follows the signal to carry its end across whole.
  const std::vector<std::int16_t> silence(playback.BufferFrames(), 0);
  playback.Write(silence);
  playback.Drain();
  if (playback.Xruns() > 0) throw std::runtime_error("playback on " + device + " ran dry: the signal has gaps");
}

}  // namespace corvane::systest
