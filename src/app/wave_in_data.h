#pragma once
// The window's handler of a filled capture buffer: decode it, and when it completed a
// frame, send the joystick one report.

#include "report/buffer_report.h"
#include "joystick/kestrovan.h"

namespace corvane {

// A refused send is not retried: the next buffer with a frame sends the next report.
template <class DecodeBuffer>
void SendReportAfter(DecodeBuffer&& decodeBuffer, const TInputControl& receiver,
                     TKestrovan& joystick, const ChannelMap& map) {
  JoystickReport report;
  if (ReportAfter(decodeBuffer, receiver, map, report)) joystick.SetState(report);
}

void OnWaveInData(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                  TKestrovan& joystick, const ChannelMap& map, WaveHeader* header);

}  // namespace corvane
