#pragma once
// Decoder of the "PCM1024 (Futaba)" format: run lengths to bit cells, sync words,
// 10-cell code words, checked 24-bit packets, channel table writes.

#include <cstdint>

#include "decode/input_control.h"

namespace corvane {

class Pcm1024Decoder {
 public:
  void DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level);
};

}  // namespace corvane
