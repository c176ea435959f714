#include <gtest/gtest.h>

#include <bitset>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "decode/input_control.h"
#include "decode/pcm1024_decoder.h"
#include "decode/pcm1024_tables.h"

namespace corvane {
namespace {

// Cell sequences are written oldest first, '1' high, '0' low; spaces are ignored.
const std::string kSyncPhase4 = "11 0000 111111111111111111 0000 11";
const std::string kSyncPhase6 = "11 00 111111111111111111 000000 11";

std::string Flipped(std::string cells) {
  for (char& c : cells) c = c == '1' ? '0' : c == '0' ? '1' : c;
  return cells;
}

std::string Word(std::int32_t symbol) {
  return std::bitset<10>(kCodeWordOfSymbol[static_cast<std::size_t>(symbol)]).to_string();
}

// The four code words of a packet carrying `data`, as sent at phases 4–7.
std::string Packet(std::uint32_t data) {
  const std::uint32_t packet = (data << 8) | static_cast<std::uint32_t>(CheckByte(data));
  std::string cells;
  for (int shift = 18; shift >= 0; shift -= 6) cells += Word(static_cast<std::int32_t>((packet >> shift) & 63));
  return cells;
}

class Pcm1024DecoderTest : public ::testing::Test {
 protected:
  // Hands the decoder one run per group of equal cells, each n cells long as
  // n × 7.2 samples rounded to the nearest sample.
  void Feed(const std::string& cells) {
    std::string plain;
    for (char c : cells) if (c != ' ') plain += c;
    for (std::size_t i = 0; i < plain.size();) {
      std::size_t j = i;
      while (j < plain.size() && plain[j] == plain[i]) ++j;
      const auto n = static_cast<std::int32_t>(j - i);
      decoder.DecodeRun(*rx, (n * 36 + 2) / 5, plain[i] == '1' ? 1 : 0);
      i = j;
    }
  }

  std::unique_ptr<TInputControl> rx = CreateInputControl();
  Pcm1024Decoder decoder;
};

TEST(Pcm1024Cells, RunLengthsRoundToTheNearestCell) {
  struct Case { std::int32_t samples; std::uint32_t cells; };
  const Case cases[] = {{INT_MIN, 0}, {0, 0}, {1, 0}, {3, 0}, {4, 1}, {10, 1}, {11, 2}, {17, 2},
                        {18, 3}, {25, 3}, {26, 4}, {61, 8}, {62, 9}, {126, 18}, {133, 18},
                        {134, 19}, {INT_MAX, 298261618}};
  for (const Case& c : cases) EXPECT_EQ(Pcm1024Decoder::CellsOf(c.samples), c.cells) << c.samples;
}

TEST_F(Pcm1024DecoderTest, ShortRunBetweenTwoLongOnesAddsNoCell) {
  decoder.DecodeRun(*rx, 15, 1);
  decoder.DecodeRun(*rx, 2, 0);
  decoder.DecodeRun(*rx, 15, 1);
  EXPECT_EQ(decoder.shiftRegister, 0xFu);
  EXPECT_EQ(decoder.pendingCells, 4u);
}

// Sync word of phase 4, then channels 1, 3, 5, 7 = 100, 200, 300, 400 with flag bit 15
// set; both frames accepted, then searching at phase 6. Every level flipped, the same
// cells select phase 0 and inverted words: same channels, ending at phase 2.
TEST_F(Pcm1024DecoderTest, WorkedExampleInBothPolarities) {
  const std::string cells =
      kSyncPhase4 + Packet(0x8000 | 100) + Packet(0x8000 | 200) + Packet(0x8000 | 300) + Packet(0x8000 | 400);
  for (const bool flip : {false, true}) {
    SCOPED_TRACE(flip ? "flipped" : "as sent");
    rx = CreateInputControl();
    decoder = Pcm1024Decoder{};
    rx->Channels.positions[8] = rx->Channels.positions[9] = 77;
    Feed(flip ? Flipped(cells) : cells);
    const std::int32_t expected[10] = {100, 512, 200, 512, 300, 512, 400, 512, 0, 0};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rx->Channels.positions[i], expected[i]) << i;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rx->Channels.secondValues[i], 512) << i;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rx->Channels.flags[i], 0) << i;
    EXPECT_TRUE(rx->FrameDecoded);
    EXPECT_EQ(decoder.framePhase, flip ? 2 : 6);
    EXPECT_FALSE(decoder.inSync);
    EXPECT_EQ(decoder.symbolIndex, 0);
  }
}

TEST_F(Pcm1024DecoderTest, AuxiliarySlotNineIsWrittenBeforeSlotEight) {
  // Aux bit 1 in the first frame (slot 9), 0 in the second (slot 8): stop after the first.
  Feed(kSyncPhase4 + Packet(0x8000 | 100) + Packet(0x4000 | 200));
  EXPECT_EQ(rx->Channels.positions[9], 1);
  EXPECT_EQ(rx->Channels.positions[8], 512);
  Feed(Packet(0x8000 | 300) + Packet(0x4000 | 400) + "11");
  EXPECT_EQ(rx->Channels.positions[8], 1);
  EXPECT_EQ(decoder.framePhase, 6);
}

TEST_F(Pcm1024DecoderTest, RejectedFirstFrameKeepsItsPlaceForTheSecond) {
  // The fourth word of the first packet is not a code word: the packet reads 0xFFFFFF.
  std::string badPacket = Packet(0x8000 | 100).substr(0, 30) + "0000000000";
  Feed(kSyncPhase4 + badPacket + Packet(0x8000 | 200));
  EXPECT_EQ(decoder.accumulators[0] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_FALSE(rx->FrameDecoded);
  EXPECT_EQ(decoder.framePhase, 5);
  EXPECT_TRUE(decoder.inSync);
  Feed(Packet(0x8000 | 300) + Packet(0x8000 | 400) + "11");
  EXPECT_EQ(rx->Channels.positions[0], 512);
  EXPECT_EQ(rx->Channels.positions[2], 512);
  EXPECT_EQ(rx->Channels.positions[4], 300);
  EXPECT_EQ(rx->Channels.positions[6], 400);
  EXPECT_TRUE(rx->FrameDecoded);
  EXPECT_EQ(decoder.framePhase, 6);
  EXPECT_FALSE(decoder.inSync);
}

TEST_F(Pcm1024DecoderTest, FrameKindsRouteToTheirEntries) {
  struct Case {
    std::uint32_t kind;  // packet 0's bits 15, 14
    std::int32_t positions[3], seconds[3], flags[3];  // entries 0, 2 and 9
  };
  // Packet 0 carries 100, packet 1 carries 200 with flag bit 15 and aux bit 14 set.
  const Case cases[] = {
      {0b00, {512, 200, 1}, {100, 512, 512}, {1, 0, 0}},
      {0b01, {100, 512, 1}, {512, 200, 512}, {0, 1, 0}},
      {0b10, {100, 200, 1}, {512, 512, 512}, {0, 0, 0}},
      {0b11, {512, 512, 1}, {512, 512, 512}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    rx = CreateInputControl();
    decoder = Pcm1024Decoder{};
    Feed(kSyncPhase4 + Packet((c.kind << 14) | 100) + Packet(0xC000 | 200) + "00");
    EXPECT_TRUE(rx->FrameDecoded);
    const int entries[3] = {0, 2, 9};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(rx->Channels.positions[entries[i]], c.positions[i]) << entries[i];
      EXPECT_EQ(rx->Channels.secondValues[entries[i]], c.seconds[i]) << entries[i];
      EXPECT_EQ(rx->Channels.flags[entries[i]], c.flags[i]) << entries[i];
    }
  }
}

TEST_F(Pcm1024DecoderTest, PhaseTwoCarriesChannelsTwoAndFourAndNoAuxiliarySlot) {
  rx->Channels.positions[8] = rx->Channels.positions[9] = 77;
  Feed(Flipped(kSyncPhase6 + Packet(0x8000 | 100) + Packet(0xC000 | 200)) + "11");
  EXPECT_EQ(decoder.framePhase, 3);
  EXPECT_EQ(rx->Channels.positions[1], 100);
  EXPECT_EQ(rx->Channels.positions[3], 200);
  EXPECT_EQ(rx->Channels.positions[8], 77);
  EXPECT_EQ(rx->Channels.positions[9], 77);
}

TEST_F(Pcm1024DecoderTest, NextSyncWordAfterPhaseEightStartsAgain) {
  const std::string frames = Packet(0x8000 | 1) + Packet(0x8000 | 2) + Packet(0x8000 | 3) + Packet(0x8000 | 4);
  Feed(kSyncPhase6 + frames);
  EXPECT_EQ(decoder.framePhase, 8);
  EXPECT_FALSE(decoder.inSync);
  Feed(Flipped(kSyncPhase4 + frames));
  EXPECT_EQ(decoder.framePhase, 2);
  const std::int32_t expected[8] = {1, 1, 2, 2, 3, 3, 4, 4};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rx->Channels.positions[i], expected[i]) << i;
}

TEST_F(Pcm1024DecoderTest, SyncOnATwelveCellRunTakesTheFirstWordOnlyAtTheNextCall) {
  Feed("11 0000 111111111111111111 0000");
  decoder.DecodeRun(*rx, 86, 1);  // 12 cells: the sync word's last two and ten more
  EXPECT_TRUE(decoder.inSync);
  EXPECT_EQ(decoder.framePhase, 4);
  EXPECT_EQ(decoder.pendingCells, 10u);
  EXPECT_EQ(decoder.symbolIndex, 0);
  decoder.DecodeRun(*rx, 14, 0);
  EXPECT_EQ(decoder.symbolIndex, 1);
  EXPECT_EQ(decoder.pendingCells, 2u);
}

TEST_F(Pcm1024DecoderTest, CodeWordsWithoutSyncWriteNothing) {
  std::mt19937 rng(7);
  std::string cells;
  for (int i = 0; i < 2000; ++i) cells += Word(static_cast<std::int32_t>(rng() % 64));
  Feed(cells);
  Feed(Flipped(cells));
  EXPECT_FALSE(rx->FrameDecoded);
  EXPECT_FALSE(decoder.inSync);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(rx->Channels.positions[i], 512);
}

// Runs far longer than the register: cells older than 64 read as 0, nothing overflows.
TEST_F(Pcm1024DecoderTest, RunsLongerThanTheRegisterAreDefined) {
  decoder.DecodeRun(*rx, INT_MAX, 1);
  EXPECT_EQ(decoder.shiftRegister, ~std::uint64_t{0});
  EXPECT_EQ(decoder.pendingCells, 298261618u);
  decoder.DecodeRun(*rx, 470, 0);  // 65 cells
  EXPECT_EQ(decoder.shiftRegister, 0u);
  EXPECT_FALSE(decoder.inSync);
  // In sync, a code word taken while more than 64 cells are pending reads as 0.
  Feed(kSyncPhase4);
  ASSERT_TRUE(decoder.inSync);
  decoder.DecodeRun(*rx, INT_MAX, 1);
  EXPECT_EQ(decoder.symbolIndex, 1);
  EXPECT_EQ(decoder.accumulators[0] & 63, 63u);  // word 0 is no code word: -1 merged
  for (int i = 0; i < 20; ++i) decoder.DecodeRun(*rx, INT_MAX, static_cast<std::uint8_t>(i & 1));
  EXPECT_FALSE(rx->FrameDecoded);
}

}  // namespace
}  // namespace corvane
