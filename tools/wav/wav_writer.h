#pragma once
// The 44-byte header of a 16-bit mono 48 000 Hz PCM WAV file.

#include <array>
#include <cstdint>

namespace corvane::wav {

std::array<std::uint8_t, 44> WavHeader(std::uint32_t dataBytes);

}  // namespace corvane::wav
