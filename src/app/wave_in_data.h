#pragma once
// The window's handler of a filled capture buffer: decode it, and when it completed a
// frame, send the joystick one report.

#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "joystick/joystick_report.h"
#include "joystick/kestrovan.h"
#include "platform/audio_device.h"

namespace corvane {

// `decodeBuffer()` processes the buffer and returns whether a frame was decoded in it.
// Only then one report goes out, built from the channel table as the whole buffer left
// it, however many frames it completed. A refused send is not retried: the next buffer
// with a frame sends the next report.
template <class DecodeBuffer>
void SendReportAfter(DecodeBuffer&& decodeBuffer, const TInputControl& receiver,
                     TKestrovan& joystick, const ChannelMap& map) {
  if (!decodeBuffer()) return;
  joystick.SetState(BuildReport(receiver.Channels, map));
}

void OnWaveInData(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                  TKestrovan& joystick, const ChannelMap& map, WaveHeader* header);

}  // namespace corvane
