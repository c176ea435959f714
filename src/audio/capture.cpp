#include "audio/capture.h"

#include <cstring>
#include <new>

namespace corvane {

// A capture buffer: the header first, so a header pointer handed back by the device
// leads to its buffer; the data block follows it in the same allocation.
struct CaptureBuffer {
  WaveHeader header;
  bool queued = false;   // accepted by the device and not announced back yet
  bool retired = false;  // its capture has stopped: freed once announced back
  CaptureBuffer* nextRetired = nullptr;
  char data[kCaptureBufferBytes] = {};
};

namespace {

CaptureBuffer* BufferOf(WaveHeader* header) { return reinterpret_cast<CaptureBuffer*>(header); }

void Requeue(TInputControl& receiver, AudioDevice& device, CaptureBuffer* buffer) {
  device.Prepare(receiver.WaveIn, &buffer->header);
  buffer->queued = device.Add(receiver.WaveIn, &buffer->header);
}

void Unlink(TInputControl& receiver, CaptureBuffer* buffer) {
  for (CaptureBuffer** link = &receiver.RetiredBuffers; *link; link = &(*link)->nextRetired) {
    if (*link == buffer) {
      *link = buffer->nextRetired;
      return;
    }
  }
}

}  // namespace

void StartInput(TInputControl& receiver, AudioDevice& device, WaveInListener* listener) {
  if (receiver.Running) return;
  WaveFormat& format = receiver.Format;
  format.formatTag = kWaveFormatPcm;
  format.channels = 1;
  format.samplesPerSec = kCaptureRate;
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<std::uint16_t>(format.bitsPerSample / 8 * format.channels);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
  format.extraSize = 0;
  device.Open(&receiver.WaveIn, format, listener);
  for (WaveHeader*& header : receiver.Headers) {
    auto* buffer = new CaptureBuffer;
    header = &buffer->header;
    header->bufferLength = kCaptureBufferBytes;
    header->data = buffer->data;
    device.Prepare(receiver.WaveIn, header);
  }
  for (WaveHeader* header : receiver.Headers) {
    BufferOf(header)->queued = device.Add(receiver.WaveIn, header);
  }
  device.Start(receiver.WaveIn);
  receiver.Running = true;
}

void StopInput(TInputControl& receiver, AudioDevice& device) {
  if (!receiver.Running) return;
  receiver.Running = false;
  device.Stop(receiver.WaveIn);
  device.Reset(receiver.WaveIn);
  device.Close(receiver.WaveIn);
  // The reset handed the queued buffers back, but their announcements are still on
  // their way: free those when they arrive, and the others now.
  for (WaveHeader*& header : receiver.Headers) {
    CaptureBuffer* buffer = BufferOf(header);
    header = nullptr;
    if (buffer->queued) {
      buffer->retired = true;
      buffer->nextRetired = receiver.RetiredBuffers;
      receiver.RetiredBuffers = buffer;
    } else {
      delete buffer;
    }
  }
}

bool ProcessBuffer(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                   WaveHeader* header) {
  CaptureBuffer* buffer = BufferOf(header);
  buffer->queued = false;
  receiver.FrameDecoded = false;
  device.Unprepare(receiver.WaveIn, header);
  const std::uint32_t bytes = header->bytesRecorded <= kCaptureBufferBytes ? header->bytesRecorded
                                                                           : kCaptureBufferBytes;
  std::memcpy(receiver.Samples, header->data, bytes);
  path.Slice(receiver, static_cast<int>(bytes / 2));
  if (buffer->retired) {
    // The capture it belonged to has stopped and closed its device: queueing it again
    // could only fail, so it ends here.
    Unlink(receiver, buffer);
    delete buffer;
  } else {
    Requeue(receiver, device, buffer);
  }
  return receiver.FrameDecoded;
}

void ReleasePendingBuffers(TInputControl& receiver) {
  while (CaptureBuffer* buffer = receiver.RetiredBuffers) {
    receiver.RetiredBuffers = buffer->nextRetired;
    delete buffer;
  }
}

}  // namespace corvane
