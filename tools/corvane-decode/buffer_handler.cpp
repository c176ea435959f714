#include "corvane-decode/buffer_handler.h"

#include "report/buffer_report.h"

namespace corvane::tool {

void BufferHandler::OnWaveInData(WaveHeader* header) {
  // A buffer of a stopped capture may be released by ProcessBuffer: read it first.
  const std::uint32_t bytes = header->bytesRecorded;
  JoystickReport report;
  const bool decoded = DecodeBufferToReport(receiver_, device_, path_, map_, header, report);
  if (bytes == 0) return;  // handed back by the reset, nothing recorded
  const std::uint64_t index = summary_.buffers++;
  samples_ += bytes / 2;
  if (!decoded) return;
  ++summary_.decodedBuffers;
  const DecodedBuffer result{index, static_cast<double>(samples_) / kCaptureRate, receiver_.Channels, report};
  for (ReportSink* sink : sinks_) sink->OnDecodedBuffer(result);
}

}  // namespace corvane::tool
