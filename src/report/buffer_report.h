#pragma once
// The one way from a filled capture buffer to the joystick report, taken by the window
// and by corvane-decode alike.

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "joystick/joystick_report.h"
#include "platform/audio_device.h"

namespace corvane {

// `decodeBuffer()` processes the buffer and returns whether a frame was decoded in it.
// Only then `report` is set, from the channel table as the whole buffer left it, however
// many frames it completed; the result tells whether it was.
template <class DecodeBuffer>
bool ReportAfter(DecodeBuffer&& decodeBuffer, const TInputControl& receiver, const ChannelMap& map,
                 JoystickReport& report) {
  if (!decodeBuffer()) return false;
  report = BuildReport(receiver.Channels, map);
  return true;
}

// Runs the buffer through ProcessBuffer (which gives it back to the device) and, when it
// completed a frame, builds its report. A header of a stopped capture may be released
// here: read what is needed of it first.
bool DecodeBufferToReport(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                          const ChannelMap& map, WaveHeader* header, JoystickReport& report);

}  // namespace corvane
