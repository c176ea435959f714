#include "corvane-decode/buffer_handler.h"

namespace corvane::tool {

void BufferHandler::OnWaveInData(WaveHeader* header) {
  // A buffer of a stopped capture may be released by ProcessBuffer: read it first.
  const std::uint32_t bytes = header->bytesRecorded;
  const bool decoded = ProcessBuffer(receiver_, device_, path_, header);
  if (bytes == 0) return;  // handed back by the reset, nothing recorded
  const std::uint64_t index = summary_.buffers++;
  samples_ += bytes / 2;
  if (!decoded) return;
  ++summary_.decodedBuffers;
  const JoystickReport report = BuildReport(receiver_.Channels, map_);
  const DecodedBuffer result{index, static_cast<double>(samples_) / kCaptureRate, receiver_.Channels, report};
  for (ReportSink* sink : sinks_) sink->OnDecodedBuffer(result);
}

}  // namespace corvane::tool
