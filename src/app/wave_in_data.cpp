#include "app/wave_in_data.h"

#include "audio/capture.h"

namespace corvane {

void OnWaveInData(TInputControl& receiver, AudioDevice& device, SignalPath& path,
                  TKestrovan& joystick, const ChannelMap& map, WaveHeader* header) {
  SendReportAfter([&] { return ProcessBuffer(receiver, device, path, header); }, receiver,
                  joystick, map);
}

}  // namespace corvane
