#include "pcm_stream.h"

#include <stdexcept>

namespace corvane::systest {

PcmStream::PcmStream(const std::string& device, Direction direction, unsigned rate, unsigned buffer_microseconds)
    : device_(device) {
  Check(snd_pcm_open(&pcm_, device.c_str(),
                     direction == Direction::Playback ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE, 0),
        "open");
  const int result = snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate,
                                        0, buffer_microseconds);
  if (result < 0) snd_pcm_close(pcm_);
  Check(result, "set 16-bit mono parameters on");
  if (direction == Direction::Capture) {
    // snd_pcm_set_params starts a capture only once a whole buffer is asked for; a read of
    // less would wait for data that never comes, so the first read starts it instead.
    snd_pcm_sw_params_t* software = nullptr;
    snd_pcm_sw_params_alloca(&software);
    Check(snd_pcm_sw_params_current(pcm_, software), "read the software parameters of");
    Check(snd_pcm_sw_params_set_start_threshold(pcm_, software, 1), "set the start threshold of");
    Check(snd_pcm_sw_params(pcm_, software), "set the software parameters of");
  }
}

PcmStream::~PcmStream() { snd_pcm_close(pcm_); }

void PcmStream::Check(long result, const char* what) const {
  if (result < 0) {
    throw std::runtime_error("cannot " + std::string(what) + " " + device_ + ": " +
                             snd_strerror(static_cast<int>(result)));
  }
}

void PcmStream::Write(std::span<const std::int16_t> samples) {
  while (!samples.empty()) {
    snd_pcm_sframes_t written = snd_pcm_writei(pcm_, samples.data(), samples.size());
    if (written < 0) {
      ++xruns_;
      Check(snd_pcm_recover(pcm_, static_cast<int>(written), 1), "recover playback on");
      continue;
    }
    samples = samples.subspan(static_cast<std::size_t>(written));
  }
}

void PcmStream::Read(std::span<std::int16_t> samples) {
  while (!samples.empty()) {
    snd_pcm_sframes_t read = snd_pcm_readi(pcm_, samples.data(), samples.size());
    if (read < 0) {
      ++xruns_;
      Check(snd_pcm_recover(pcm_, static_cast<int>(read), 1), "recover capture on");
      continue;
    }
    samples = samples.subspan(static_cast<std::size_t>(read));
  }
}

void PcmStream::Drain() { Check(snd_pcm_drain(pcm_), "drain"); }

std::size_t PcmStream::BufferFrames() const {
  snd_pcm_uframes_t buffer = 0;
  snd_pcm_uframes_t period = 0;
  Check(snd_pcm_get_params(pcm_, &buffer, &period), "read the buffer size of");
  return buffer;
}

}  // namespace corvane::systest
