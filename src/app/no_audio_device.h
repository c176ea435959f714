#pragma once
// The capture device of a build without a capture backend: there is no recording device,
// so every call fails and no buffer is ever announced.

#include "platform/audio_device.h"

namespace corvane {

class NoAudioDevice : public AudioDevice {
 public:
  bool Open(WaveInHandle* handle, const WaveFormat&, WaveInListener*) override {
    *handle = kInvalidWaveIn;
    return false;
  }
  bool Prepare(WaveInHandle, WaveHeader*) override { return false; }
  bool Unprepare(WaveInHandle, WaveHeader*) override { return false; }
  bool Add(WaveInHandle, WaveHeader*) override { return false; }
  bool Start(WaveInHandle) override { return false; }
  bool Stop(WaveInHandle) override { return false; }
  bool Reset(WaveInHandle) override { return false; }
  bool Close(WaveInHandle) override { return false; }
};

}  // namespace corvane
