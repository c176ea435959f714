#include <gtest/gtest.h>

#include <bitset>
#include <string>

#include "decode/pcm1024_tables.h"

namespace corvane {
namespace {

// The code words of symbols 0 … 63 as the format defines them, oldest cell first.
const char* const kListedCodeWords[64] = {
    "1111111000", "1111110011", "1111100011", "1111100111", "1111000111", "1111001111", "1110001111",
    "1110011111", "0011111111", "0001111111", "0000111111", "1100111111", "1100011111", "1100001111",
    "1110000111", "1111000011", "0011111100", "0011110011", "0011100111", "0011001111", "1111001100",
    "1110011100", "1100111100", "1100110011", "1111110000", "1111100000", "1110000011", "1100000111",
    "1100011100", "1110011000", "1110001100", "1100111000", "0011000111", "0001110011", "0001100111",
    "0011100011", "0011111000", "0001111100", "0000011111", "0000001111", "0011001100", "0011000011",
    "0001100011", "0000110011", "1100110000", "1100011000", "1100001100", "1100000011", "0000111100",
    "0001111000", "0011110000", "0011100000", "0011000000", "1111000000", "1110000000", "1100000000",
    "0001100000", "0001110000", "0000110000", "0000111000", "0000011000", "0000011100", "0000001100",
    "0000000111"};

// True when every run of equal cells in the 10-cell word is at least two cells long.
bool RunsAtLeastTwo(std::uint32_t word) {
  int run = 1;
  for (int bit = 8; bit >= 0; --bit) {
    if (((word >> bit) & 1) == ((word >> (bit + 1)) & 1)) {
      ++run;
    } else {
      if (run < 2) return false;
      run = 1;
    }
  }
  return run >= 2;
}

TEST(Pcm1024Tables, CodeWordTableMatchesTheListedWords) {
  for (std::int32_t symbol = 0; symbol < 64; ++symbol) {
    const auto word = static_cast<std::uint32_t>(std::bitset<10>(kListedCodeWords[symbol]).to_ulong());
    EXPECT_EQ(CodeWordTable[word], symbol) << kListedCodeWords[symbol];
    EXPECT_EQ(kCodeWordOfSymbol[static_cast<std::size_t>(symbol)], word);
  }
}

TEST(Pcm1024Tables, ValidWordsAreTheLongRunWordsAndComplementsMirrorSymbols) {
  int valid = 0;
  std::bitset<64> seen;
  for (std::uint32_t word = 0; word < 1024; ++word) {
    const std::int32_t symbol = CodeWordTable[word];
    const bool excluded = word == 0x000 || word == 0x3FF || word == 0x003 || word == 0x3FC;
    EXPECT_EQ(symbol >= 0, RunsAtLeastTwo(word) && !excluded) << std::bitset<10>(word);
    if (symbol < 0) {
      EXPECT_EQ(symbol, -1);
      continue;
    }
    ++valid;
    ASSERT_LT(symbol, 64);
    EXPECT_FALSE(seen[static_cast<std::size_t>(symbol)]) << "symbol given twice: " << symbol;
    seen.set(static_cast<std::size_t>(symbol));
    EXPECT_EQ(CodeWordTable[word ^ 0x3FF], 63 - symbol) << std::bitset<10>(word);
  }
  EXPECT_EQ(valid, 64);
  EXPECT_TRUE(seen.all());
}

TEST(Pcm1024Tables, CheckTableAndCheckBytes) {
  const std::int32_t listed[16] = {0x6B, 0xD6, 0xC7, 0xE5, 0xA1, 0x29, 0x52, 0xA4,
                                   0x23, 0x46, 0x8C, 0x73, 0xE6, 0xA7, 0x25, 0x4A};
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(CheckTable[i], listed[i]) << "bit " << i;
  EXPECT_EQ(CheckByte(0x0000), 0x00);
  EXPECT_EQ(CheckByte(0x0001), 0x6B);
  EXPECT_EQ(CheckByte(0x0200), 0x46);
  EXPECT_EQ(CheckByte(0x8000), 0x4A);
  EXPECT_EQ(CheckByte(0x8200), 0x0C);
  EXPECT_EQ(CheckByte(0xFFFF), 0x55);
}

TEST(Pcm1024Tables, PacketOfPositionCentreIsSentAsItsFourCodeWords) {
  // Data word 0x8200 (flag bits 1, 0, position 512) with its check byte 0x0C.
  const std::uint32_t packet = (0x8200u << 8) | static_cast<std::uint32_t>(CheckByte(0x8200));
  const char* const words[4] = {"0011000111", "0011000111", "1111111000", "1100011111"};
  const std::int32_t symbols[4] = {32, 32, 0, 12};
  for (int i = 0; i < 4; ++i) {
    const auto symbol = static_cast<std::int32_t>((packet >> (18 - 6 * i)) & 63);
    EXPECT_EQ(symbol, symbols[i]);
    EXPECT_EQ(std::bitset<10>(kCodeWordOfSymbol[static_cast<std::size_t>(symbol)]).to_string(), words[i]);
  }
}

TEST(Pcm1024Tables, SyncWordsHoldAnEighteenCellRunAndPairAsComplements) {
  EXPECT_EQ(std::bitset<30>(kSyncWordPhase6).to_string(), "110011111111111111111100000011");
  EXPECT_EQ(std::bitset<30>(kSyncWordPhase4).to_string(), "110000111111111111111111000011");
  EXPECT_EQ(kSyncWordPhase2, kSyncWordPhase6 ^ 0x3FFFFFFFu);
  EXPECT_EQ(kSyncWordPhase0, kSyncWordPhase4 ^ 0x3FFFFFFFu);
}

}  // namespace
}  // namespace corvane
