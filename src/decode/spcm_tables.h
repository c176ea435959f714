#pragma once
// The 32-symbol code of the SPCM format. A symbol is sent as 8 bit cells; a pattern has
// its oldest cell in the most significant bit, and a 1 marks a cell in which a run begins.

#include <array>
#include <cstdint>

namespace corvane {

inline constexpr int kSpcmSymbolValues = 32;

// The pattern that carries each symbol value 0 … 31.
inline constexpr std::array<std::uint8_t, kSpcmSymbolValues> kSpcmSymbolPatterns = {
    0x01, 0x44, 0x50, 0x48, 0x14, 0x24, 0x54, 0x28,  //  0 …  7
    0x0A, 0x42, 0x09, 0x41, 0x12, 0x22, 0x11, 0x21,  //  8 … 15
    0x02, 0x04, 0x40, 0x20, 0x51, 0x08, 0x52, 0x10,  // 16 … 23
    0x45, 0x25, 0x05, 0x15, 0x49, 0x29, 0x4A, 0x2A,  // 24 … 31
};

// The symbol of a frame that carries the high 5 bits of each channel position 0 … 7;
// the low 5 bits follow in the next symbol.
inline constexpr std::array<int, 8> kSpcmHighSymbolOfPosition = {16, 1, 19, 4, 24, 9, 27, 12};

// Symbol value of every 8-cell pattern; -1 for the 224 patterns outside the code.
inline constexpr std::array<std::int32_t, 256> SpcmSymbolTable = [] {
  std::array<std::int32_t, 256> table{};
  table.fill(-1);
  for (int value = 0; value < kSpcmSymbolValues; ++value) table[kSpcmSymbolPatterns[value]] = value;
  return table;
}();

}  // namespace corvane
