#include "wav/wav_writer.h"

#include <cstring>

#include "platform/little_endian.h"

namespace corvane::wav {

std::array<std::uint8_t, 44> WavHeader(std::uint32_t dataBytes) {
  std::array<std::uint8_t, 44> h{};
  std::memcpy(h.data(), "RIFF", 4);
  PutLe32(h.data() + 4, 36 + dataBytes);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  PutLe32(h.data() + 16, 16);
  PutLe16(h.data() + 20, 1);        // PCM
  PutLe16(h.data() + 22, 1);        // mono
  PutLe32(h.data() + 24, 48000);
  PutLe32(h.data() + 28, 96000);    // bytes per second
  PutLe16(h.data() + 32, 2);        // block alignment
  PutLe16(h.data() + 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  PutLe32(h.data() + 40, dataBytes);
  return h;
}

}  // namespace corvane::wav
