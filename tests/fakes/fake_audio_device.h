#pragma once
// A capture device that records every call and hands buffers back when the test says.

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/audio_device.h"

namespace corvane::testing {

class FakeAudioDevice : public AudioDevice {
 public:
  std::vector<std::string> calls;    // "open", "prepare", "add", … in call order
  std::deque<WaveHeader*> queued;    // buffers the device holds, oldest first
  std::vector<WaveHeader*> handedBack;  // buffers returned by a reset, still to announce
  bool failOpen = false;
  WaveInListener* listener = nullptr;
  WaveInHandle openHandle = kInvalidWaveIn;
  WaveInHandle nextHandle = 7;

  bool Open(WaveInHandle* handle, const WaveFormat&, WaveInListener* l) override {
    calls.push_back("open");
    listener = l;
    *handle = failOpen ? kInvalidWaveIn : nextHandle++;
    openHandle = *handle;
    return !failOpen;
  }
  bool Prepare(WaveInHandle h, WaveHeader* hdr) override {
    calls.push_back("prepare");
    if (!IsOpen(h)) return false;
    hdr->flags |= kWaveHeaderPrepared;
    return true;
  }
  bool Unprepare(WaveInHandle h, WaveHeader* hdr) override {
    calls.push_back("unprepare");
    if (!IsOpen(h)) return false;
    hdr->flags &= ~kWaveHeaderPrepared;
    return true;
  }
  bool Add(WaveInHandle h, WaveHeader* hdr) override {
    calls.push_back("add");
    if (!IsOpen(h) || !(hdr->flags & kWaveHeaderPrepared)) return false;
    hdr->bytesRecorded = 0;
    queued.push_back(hdr);
    return true;
  }
  bool Start(WaveInHandle h) override { calls.push_back("start"); return IsOpen(h); }
  bool Stop(WaveInHandle h) override { calls.push_back("stop"); return IsOpen(h); }
  bool Reset(WaveInHandle h) override {
    calls.push_back("reset");
    if (!IsOpen(h)) return false;
    handedBack.insert(handedBack.end(), queued.begin(), queued.end());
    queued.clear();
    return true;
  }
  bool Close(WaveInHandle h) override {
    calls.push_back("close");
    if (!IsOpen(h)) return false;
    openHandle = kInvalidWaveIn;
    return true;
  }

  // Fills the oldest queued buffer with `bytes` and takes it from the device.
  WaveHeader* Fill(const void* bytes, std::uint32_t count) {
    WaveHeader* hdr = queued.front();
    queued.pop_front();
    if (count > 0) std::memcpy(hdr->data, bytes, count);
    hdr->bytesRecorded = count;
    return hdr;
  }

 private:
  bool IsOpen(WaveInHandle h) const { return h != kInvalidWaveIn && h == openHandle; }
};

}  // namespace corvane::testing
