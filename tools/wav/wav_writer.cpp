#include "wav/wav_writer.h"

#include <cstring>

namespace corvane::wav {

namespace {

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::array<std::uint8_t, 44> WavHeader(std::uint32_t dataBytes) {
  std::array<std::uint8_t, 44> h{};
  std::memcpy(h.data(), "RIFF", 4);
  Put32(h.data() + 4, 36 + dataBytes);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  Put32(h.data() + 16, 16);
  Put16(h.data() + 20, 1);        // PCM
  Put16(h.data() + 22, 1);        // mono
  Put32(h.data() + 24, 48000);
  Put32(h.data() + 28, 96000);    // bytes per second
  Put16(h.data() + 32, 2);        // block alignment
  Put16(h.data() + 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  Put32(h.data() + 40, dataBytes);
  return h;
}

}  // namespace corvane::wav
