#include "corvane-decode/stream_audio_device.h"

namespace corvane::tool {

bool StreamAudioDevice::Open(WaveInHandle* handle, const WaveFormat&, WaveInListener* listener) {
  listener_ = listener;
  open_ = true;
  *handle = kHandle;
  return true;
}

bool StreamAudioDevice::Prepare(WaveInHandle handle, WaveHeader* header) {
  if (!IsOpen(handle)) return false;
  header->flags |= kWaveHeaderPrepared;
  return true;
}

bool StreamAudioDevice::Unprepare(WaveInHandle handle, WaveHeader* header) {
  if (!IsOpen(handle)) return false;
  header->flags &= ~kWaveHeaderPrepared;
  return true;
}

bool StreamAudioDevice::Add(WaveInHandle handle, WaveHeader* header) {
  if (!IsOpen(handle) || !(header->flags & kWaveHeaderPrepared) || queued_ == kCapacity) return false;
  header->bytesRecorded = 0;
  queue_[queued_++] = header;
  return true;
}

bool StreamAudioDevice::Start(WaveInHandle handle) {
  if (!IsOpen(handle)) return false;
  started_ = true;
  return true;
}

bool StreamAudioDevice::Stop(WaveInHandle handle) {
  if (!IsOpen(handle)) return false;
  started_ = false;
  return true;
}

bool StreamAudioDevice::Reset(WaveInHandle handle) {
  if (!IsOpen(handle)) return false;
  started_ = false;
  while (queued_ > 0 && handedBackCount_ < kCapacity) handedBack_[handedBackCount_++] = PopQueued();
  return true;
}

bool StreamAudioDevice::Close(WaveInHandle handle) {
  if (!IsOpen(handle)) return false;
  open_ = false;
  return true;
}

WaveHeader* StreamAudioDevice::PopQueued() {
  if (queued_ == 0) return nullptr;
  WaveHeader* header = queue_[0];
  for (std::size_t i = 1; i < queued_; ++i) queue_[i - 1] = queue_[i];
  --queued_;
  return header;
}

void StreamAudioDevice::RunToEnd(bool (*stopRequested)()) {
  while (started_ && listener_ != nullptr && queued_ > 0) {
    if (stopRequested != nullptr && stopRequested()) return;
    WaveHeader* header = queue_[0];
    // A buffer is announced full unless the stream ends inside it, like a device that
    // records in fixed blocks: the buffer numbers then do not depend on how a pipe
    // delivers its bytes. A buffer that got nothing stays queued for the reset.
    const std::uint32_t length = header->bufferLength;
    const std::size_t bytes = source_.Read(header->data, length);
    if (bytes == 0) return;
    PopQueued();
    header->bytesRecorded = static_cast<std::uint32_t>(bytes);
    listener_->OnWaveInData(header);
    if (bytes < length) return;
  }
}

void StreamAudioDevice::AnnounceHandedBack() {
  for (std::size_t i = 0; i < handedBackCount_; ++i) {
    handedBack_[i]->bytesRecorded = 0;
    listener_->OnWaveInData(handedBack_[i]);
  }
  handedBackCount_ = 0;
}

}  // namespace corvane::tool
