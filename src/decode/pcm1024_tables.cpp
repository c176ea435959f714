#include "decode/pcm1024_tables.h"

namespace corvane {

namespace {

// Symbols 0 … 63 in order. Every run of equal cells in a code word is at least two
// cells long, and the complement of the word for s is the word for 63 - s.
constexpr std::array<std::uint32_t, 64> kCodeWords = {
    0b1111111000, 0b1111110011, 0b1111100011, 0b1111100111,  //  0 …  3
    0b1111000111, 0b1111001111, 0b1110001111, 0b1110011111,  //  4 …  7
    0b0011111111, 0b0001111111, 0b0000111111, 0b1100111111,  //  8 … 11
    0b1100011111, 0b1100001111, 0b1110000111, 0b1111000011,  // 12 … 15
    0b0011111100, 0b0011110011, 0b0011100111, 0b0011001111,  // 16 … 19
    0b1111001100, 0b1110011100, 0b1100111100, 0b1100110011,  // 20 … 23
    0b1111110000, 0b1111100000, 0b1110000011, 0b1100000111,  // 24 … 27
    0b1100011100, 0b1110011000, 0b1110001100, 0b1100111000,  // 28 … 31
    0b0011000111, 0b0001110011, 0b0001100111, 0b0011100011,  // 32 … 35
    0b0011111000, 0b0001111100, 0b0000011111, 0b0000001111,  // 36 … 39
    0b0011001100, 0b0011000011, 0b0001100011, 0b0000110011,  // 40 … 43
    0b1100110000, 0b1100011000, 0b1100001100, 0b1100000011,  // 44 … 47
    0b0000111100, 0b0001111000, 0b0011110000, 0b0011100000,  // 48 … 51
    0b0011000000, 0b1111000000, 0b1110000000, 0b1100000000,  // 52 … 55
    0b0001100000, 0b0001110000, 0b0000110000, 0b0000111000,  // 56 … 59
    0b0000011000, 0b0000011100, 0b0000001100, 0b0000000111,  // 60 … 63
};

constexpr std::array<std::int32_t, 1024> InvertCodeWords() {
  std::array<std::int32_t, 1024> table{};
  for (auto& entry : table) entry = -1;
  for (std::int32_t symbol = 0; symbol < 64; ++symbol) {
    table[kCodeWords[static_cast<std::size_t>(symbol)]] = symbol;
  }
  return table;
}

// Entry i is x^(8+i) modulo x^8 + x^6 + x^5 + x^3 + x + 1: the CRC-8 (polynomial 0x6B,
// initial value 0, no reflection, no final XOR) of the data word with only bit i set.
constexpr std::array<std::int32_t, 16> CheckEntries() {
  std::array<std::int32_t, 16> table{};
  std::uint32_t remainder = 0x6B;  // x^8
  for (auto& entry : table) {
    entry = static_cast<std::int32_t>(remainder);
    remainder <<= 1;
    if (remainder & 0x100) remainder ^= 0x16B;
  }
  return table;
}

}  // namespace

constinit const std::array<std::int32_t, 1024> CodeWordTable = InvertCodeWords();
constinit const std::array<std::uint32_t, 64> kCodeWordOfSymbol = kCodeWords;
constinit const std::array<std::int32_t, 16> CheckTable = CheckEntries();

std::int32_t CheckByte(std::uint32_t dataWord) {
  std::int32_t check = 0;
  for (std::size_t bit = 0; bit < 16; ++bit) {
    if ((dataWord >> bit) & 1) check ^= CheckTable[bit];
  }
  return check;
}

}  // namespace corvane
