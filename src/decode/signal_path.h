#pragma once
// The decoding state of the process: the slicer and the decoders of every format, each
// one instance that lives as long as the program and is never reset.

#include <cstdint>

#include "decode/input_control.h"
#include "decode/pcm1024_decoder.h"
#include "decode/ppm_decoder.h"
#include "decode/signal_formats.h"
#include "decode/signal_slicer.h"
#include "decode/spcm_decoder.h"

namespace corvane {

// Hands a run to the run decoder the receiver's mode selects at that moment
// (FormatOfMode): PCM1024 for its mode, SPCM for every other.
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

struct SignalPath;

// Slices a buffer in place of the plain path and counts on the way (corvane-decode
// --stats). Reached only through this interface: a program that never sets one links
// none of the counting code, and its decoding path is compiled as without it.
class SliceCounter {
 public:
  virtual void Slice(SignalPath& path, TInputControl& receiver, int count) = 0;

 protected:
  ~SliceCounter() = default;
};

struct SignalPath {
  SignalSlicer slicer;
  Pcm1024Decoder pcm1024;
  SpcmDecoder spcm;
  PpmDecoder ppm;
  SliceCounter* counter = nullptr;  // the tray program leaves it unset

  // Decodes the first `count` samples of the receiver's sample copy in the receiver's
  // mode: the run formats through the slicer, PPM from the samples themselves.
  void Slice(TInputControl& receiver, int count) {
    if (counter != nullptr) return counter->Slice(*this, receiver, count);
    if (FormatOfMode(receiver.Mode).input == SignalInput::kSamples) {
      ppm.Decode(receiver, receiver.Samples, count);
      return;
    }
    ModeDispatch<Pcm1024Decoder, SpcmDecoder> dispatch{pcm1024, spcm};
    slicer.Slice(receiver, count, dispatch);
  }
};

}  // namespace corvane
