#include "decode/spcm_decoder.h"

namespace corvane {

void SpcmDecoder::DecodeRun(TInputControl&, std::int32_t, std::uint8_t) {}

}  // namespace corvane
