#pragma once
// Capture from ALSA's "default" PCM (a sound server's or the first card), driven from
// the Qt event loop of the thread that creates it: no thread of its own.

#include <chrono>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace corvane {

class AlsaAudioDevice : public SystemAudioDevice {
 public:
  // Needs a running Qt event loop in the creating thread. While input runs without a
  // device (it failed to open, or went away), the device is opened again every
  // `retryInterval`, so capture resumes by itself when the card comes back.
  // `periodFrames` 0 lets the device choose its period so that every buffer is announced
  // soon after it is full (one dividing 1000 frames on a card, 64 frames through a sound
  // server's plugin); another value asks ALSA for that period, for measurements.
  static constexpr unsigned long kPeriodFrames = 0;
  explicit AlsaAudioDevice(std::string pcmName = "default",
                           std::chrono::milliseconds retryInterval = std::chrono::milliseconds(1500),
                           unsigned long periodFrames = kPeriodFrames);
  ~AlsaAudioDevice() override;
  AlsaAudioDevice(const AlsaAudioDevice&) = delete;
  AlsaAudioDevice& operator=(const AlsaAudioDevice&) = delete;

  // One capture at a time: opening again closes the previous one, handing back its
  // buffers. The handle stays valid while the device is away, and buffers queued on
  // it are filled once the device can be opened. Returns whether the device is open.
  bool Open(WaveInHandle* handle, const WaveFormat& format, WaveInListener* listener) override;
  bool Prepare(WaveInHandle handle, WaveHeader* header) override;
  bool Unprepare(WaveInHandle handle, WaveHeader* header) override;
  bool Add(WaveInHandle handle, WaveHeader* header) override;
  bool Start(WaveInHandle handle) override;
  bool Stop(WaveInHandle handle) override;
  // Buffers handed back are announced through the event loop, after this returns.
  // Announcements still waiting when the device is destroyed are dropped.
  bool Reset(WaveInHandle handle) override;
  bool Close(WaveInHandle handle) override;

  // Why the device could not be opened or was lost, for the user; empty while capture works.
  std::string LastError() const override;

  // For measurements: from now on each announcement first takes ALSA's status, and
  // LastDelay() tells, during OnWaveInData, how long before the announcement the
  // buffer's last sample was recorded (-1 when ALSA could not say).
  void MeasureDelays();
  std::chrono::microseconds LastDelay() const;
  // For measurements: how often the capture woke the loop (the device's descriptors, or a
  // card's timer for a buffer whose interrupt had not come), how many of those wake-ups
  // found nothing to read, and how many the timer made.
  struct Wakeups {
    unsigned long all = 0;
    unsigned long empty = 0;
    unsigned long timed = 0;
  };
  Wakeups CountedWakeups() const;
  // The period and buffer sizes ALSA granted, in frames; false while no device is open.
  bool Granted(unsigned long& periodFrames, unsigned long& bufferFrames) const;

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace corvane
