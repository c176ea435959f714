#pragma once
// A capture device that plays a byte stream: each queued buffer is filled with the next
// 2000 bytes (the last one may be shorter) and announced at once, in order.

#include <array>

#include "platform/audio_device.h"
#include "wav/byte_source.h"

namespace corvane::tool {

class StreamAudioDevice : public AudioDevice {
 public:
  explicit StreamAudioDevice(wav::ByteSource& source) : source_(source) {}

  bool Open(WaveInHandle* handle, const WaveFormat& format, WaveInListener* listener) override;
  bool Prepare(WaveInHandle handle, WaveHeader* header) override;
  bool Unprepare(WaveInHandle handle, WaveHeader* header) override;
  bool Add(WaveInHandle handle, WaveHeader* header) override;
  bool Start(WaveInHandle handle) override;
  bool Stop(WaveInHandle handle) override;
  bool Reset(WaveInHandle handle) override;
  bool Close(WaveInHandle handle) override;

  // Fills and announces buffers until the stream ends, or until `stopRequested` (when
  // given) says so before a buffer; then, once the capture has been stopped,
  // AnnounceHandedBack delivers the buffers the reset returned (0 bytes each).
  void RunToEnd(bool (*stopRequested)() = nullptr);
  void AnnounceHandedBack();

 private:
  static constexpr WaveInHandle kHandle = 1;
  static constexpr std::size_t kCapacity = 4;

  bool IsOpen(WaveInHandle handle) const { return open_ && handle == kHandle; }
  WaveHeader* PopQueued();

  wav::ByteSource& source_;
  WaveInListener* listener_ = nullptr;
  bool open_ = false;
  bool started_ = false;
  std::array<WaveHeader*, kCapacity> queue_{};  // oldest first
  std::size_t queued_ = 0;
  std::array<WaveHeader*, kCapacity> handedBack_{};
  std::size_t handedBackCount_ = 0;
};

}  // namespace corvane::tool
