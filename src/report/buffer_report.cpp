#include "report/buffer_report.h"

#include "audio/capture.h"

namespace corvane {

bool DecodeBufferToReport(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                          const ChannelMap& map, WaveHeader* header, JoystickReport& report) {
  return ReportAfter([&] { return ProcessBuffer(receiver, device, path, header); }, receiver, map, report);
}

}  // namespace corvane
