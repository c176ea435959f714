#pragma once
// The decoding state of the process: the slicer and both decoders, each one instance
// that lives as long as the program and is never reset.

#include <cstdint>

#include "decode/input_control.h"
#include "decode/pcm1024_decoder.h"
#include "decode/signal_formats.h"
#include "decode/signal_slicer.h"
#include "decode/spcm_decoder.h"

namespace corvane {

// Hands a run to the decoder the receiver's mode selects at that moment: PCM1024 for its
// mode, SPCM for every other.
template <class Pcm, class Spcm>
struct ModeDispatch {
  Pcm& pcm1024;
  Spcm& spcm;
  void DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level) {
    if (receiver.Mode == kModePcm1024) {
      pcm1024.DecodeRun(receiver, samples, level);
    } else {
      spcm.DecodeRun(receiver, samples, level);
    }
  }
};

struct SignalPath {
  SignalSlicer slicer;
  Pcm1024Decoder pcm1024;
  SpcmDecoder spcm;

  // Slices the first `count` samples of the receiver's sample copy.
  void Slice(TInputControl& receiver, int count) {
    ModeDispatch<Pcm1024Decoder, SpcmDecoder> dispatch{pcm1024, spcm};
    slicer.Slice(receiver, count, dispatch);
  }
};

}  // namespace corvane
