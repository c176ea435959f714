#include "decode/input_control.h"

namespace corvane {

std::unique_ptr<TInputControl> CreateInputControl() {
  auto receiver = std::make_unique<TInputControl>();  // value-initialised: all zero
  receiver->Running = false;
  receiver->MixerDevice = -1;
  receiver->VolumeControl = -1;
  receiver->Mode = 0;
  for (int i = 0; i < kChannelSlots; ++i) {
    receiver->Channels.secondValues[i] = kCentre;
    receiver->Channels.positions[i] = kCentre;
    receiver->Channels.flags[i] = 0;
  }
  receiver->WaveIn = kInvalidWaveIn;
  return receiver;
}

}  // namespace corvane
