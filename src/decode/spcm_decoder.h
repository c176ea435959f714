#pragma once
// Decoder of the "SPCM (JR)" format: a sync run, 8-sample cells, 30 symbols of
// 8 cells, eight 10-bit channels per frame.

#include <cstdint>

#include "decode/input_control.h"

namespace corvane {

class SpcmDecoder {
 public:
  void DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level);
};

}  // namespace corvane
