#include "audio/destroy_input_control.h"

#include "audio/capture.h"
#include "audio/mixer.h"

namespace corvane {

void DestroyInputControl(std::unique_ptr<TInputControl>& receiver, AudioDevice& audio,
                         MixerDevice& mixer) {
  if (!receiver) return;
  StopInput(*receiver, audio);
  RestoreMixer(*receiver, mixer);
  ReleasePendingBuffers(*receiver);
  receiver.reset();
}

}  // namespace corvane
