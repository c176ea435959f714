// A blocking ALSA PCM of 16-bit mono samples, for playing into and recording from the VM's
// sound cards.
#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>
#include <span>
#include <string>

namespace corvane::systest {

class PcmStream {
 public:
  enum class Direction { Playback, Capture };

  // A buffer of half a second rides out the stalls of an emulated VM on a busy host.
  // Throws std::runtime_error naming the device and ALSA's reason.
  PcmStream(const std::string& device, Direction direction, unsigned rate = 48000,
            unsigned buffer_microseconds = 500'000);
  ~PcmStream();
  PcmStream(const PcmStream&) = delete;
  PcmStream& operator=(const PcmStream&) = delete;

  void Write(std::span<const std::int16_t> samples);  // all of them, through underruns
  void Read(std::span<std::int16_t> samples);         // fills all of them, through overruns
  void Drain();                                       // returns when all was played
  std::size_t BufferFrames() const;
  int Xruns() const { return xruns_; }  // underruns or overruns recovered from, each a gap

 private:
  void Check(long result, const char* what) const;

  std::string device_;
  snd_pcm_t* pcm_ = nullptr;
  int xruns_ = 0;
};

}  // namespace corvane::systest
