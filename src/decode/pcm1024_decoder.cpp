#include "decode/pcm1024_decoder.h"

namespace corvane {

void Pcm1024Decoder::DecodeRun(TInputControl&, std::int32_t, std::uint8_t) {}

}  // namespace corvane
