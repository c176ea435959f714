#include "app/wave_in_data.h"

namespace corvane {

void OnWaveInData(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                  TKestrovan& joystick, const ChannelMap& map, WaveHeader* header) {
  JoystickReport report;
  if (DecodeBufferToReport(receiver, device, path, map, header, report)) joystick.SetState(report);
}

}  // namespace corvane
