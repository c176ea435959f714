#pragma once
// Capture from the system's default wave-in device (WAVE_MAPPER) through winmm, told of
// each filled buffer by a window message (CALLBACK_WINDOW) on the thread that runs the
// window's message loop.

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "platform/platform.h"

namespace corvane {

// The winmm wave-in functions the device calls; tests put fakes in their place.
struct WaveInFunctions {
  MMRESULT(WINAPI* waveInOpen)(LPHWAVEIN, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
  MMRESULT(WINAPI* waveInPrepareHeader)(HWAVEIN, LPWAVEHDR, UINT);
  MMRESULT(WINAPI* waveInUnprepareHeader)(HWAVEIN, LPWAVEHDR, UINT);
  MMRESULT(WINAPI* waveInAddBuffer)(HWAVEIN, LPWAVEHDR, UINT);
  MMRESULT(WINAPI* waveInStart)(HWAVEIN);
  MMRESULT(WINAPI* waveInStop)(HWAVEIN);
  MMRESULT(WINAPI* waveInReset)(HWAVEIN);
  MMRESULT(WINAPI* waveInClose)(HWAVEIN);
};

// The system's own.
WaveInFunctions WinmmWaveInFunctions();

class WaveInAudioDevice : public SystemAudioDevice {
 public:
  // MM_WIM_DATA goes to `window`, whose window procedure hands it to HandleMessage.
  // Without a window, the device makes a hidden message-only window of its own on the
  // creating thread, so any message loop of that thread delivers the buffers.
  explicit WaveInAudioDevice(HWND window = nullptr, const WaveInFunctions& functions = WinmmWaveInFunctions());
  // Closes a capture still open and frees every buffer record. A caller's window must
  // not hand this device a message after it is destroyed.
  ~WaveInAudioDevice() override;
  WaveInAudioDevice(const WaveInAudioDevice&) = delete;
  WaveInAudioDevice& operator=(const WaveInAudioDevice&) = delete;

  bool Open(WaveInHandle* handle, const WaveFormat& format, WaveInListener* listener) override;
  bool Prepare(WaveInHandle handle, WaveHeader* header) override;
  bool Unprepare(WaveInHandle handle, WaveHeader* header) override;
  bool Add(WaveInHandle handle, WaveHeader* header) override;
  bool Start(WaveInHandle handle) override;
  bool Stop(WaveInHandle handle) override;
  // The buffers handed back are announced by their MM_WIM_DATA, after this returns.
  bool Reset(WaveInHandle handle) override;
  bool Close(WaveInHandle handle) override;
  std::string LastError() const override { return lastError_; }

  // For the window procedure: announces the buffer of an MM_WIM_DATA of this device to
  // its listener, or takes an MM_WIM_CLOSE of a capture still open here as the device
  // going away (LastError tells it), and returns true; false for any other message.
  // A buffer the device refuses, or a start it refuses, also sets LastError.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The window the buffer-done messages go to.
  HWND window() const { return window_; }

 private:
  // One open (or closed, with buffers still on their way back) capture.
  struct Session {
    HWAVEIN wave = nullptr;
    WaveInListener* listener = nullptr;
    bool open = false;
  };
  // The system's record of one of the caller's buffers, made at its first prepare and
  // kept while the buffer circulates, so no record is made per buffer.
  struct Slot {
    WAVEHDR* record = nullptr;  // from the process heap
    WaveHeader* header = nullptr;
    int session = -1;
    bool withDevice = false;  // added, and not announced back yet
  };
  static constexpr int kSessions = 4;
  static constexpr int kSlots = 16;

  Session* OpenSession(WaveInHandle handle);
  Slot* FindSlot(int session, const WaveHeader* header);
  Slot* BindSlot(int session, WaveHeader* header);
  void ReleaseSlot(Slot& slot);
  bool SessionInUse(int session) const;

  WaveInFunctions winmm_;
  HWND window_ = nullptr;
  bool ownWindow_ = false;
  Session sessions_[kSessions];
  Slot slots_[kSlots];
  std::string lastError_;
  int ownClosesDue_ = 0;  // MM_WIM_CLOSE messages of our own closes not handled yet
};

}  // namespace corvane
