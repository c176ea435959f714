#pragma once
// The capture device: the system's default recording device, 16-bit mono PCM.

#include "platform/wave_types.h"

namespace corvane {

// Told of every buffer the device has filled (or handed back on reset), with its
// recorded byte count set, on the thread that runs the window's event loop, in the
// order the buffers were filled.
class WaveInListener {
 public:
  virtual void OnWaveInData(WaveHeader* header) = 0;

 protected:
  ~WaveInListener() = default;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  // Opens the default recording device in `format`; `*handle` receives the device's
  // handle, or kInvalidWaveIn when it cannot be opened. A backend may hand out a handle
  // while the device is away (and return false): buffers queued on it are filled once
  // the device is there.
  virtual bool Open(WaveInHandle* handle, const WaveFormat& format, WaveInListener* listener) = 0;
  virtual bool Prepare(WaveInHandle handle, WaveHeader* header) = 0;
  virtual bool Unprepare(WaveInHandle handle, WaveHeader* header) = 0;
  // Queues a prepared buffer. Once accepted, the buffer is announced exactly once.
  virtual bool Add(WaveInHandle handle, WaveHeader* header) = 0;
  virtual bool Start(WaveInHandle handle) = 0;
  virtual bool Stop(WaveInHandle handle) = 0;
  // Hands every queued buffer back; each is still announced, possibly with 0 bytes.
  virtual bool Reset(WaveInHandle handle) = 0;
  virtual bool Close(WaveInHandle handle) = 0;
};

}  // namespace corvane
