#include <gtest/gtest.h>

#include <vector>

#include "joystick/joystick_report.h"

namespace corvane {
namespace {

std::int32_t Axis(const JoystickReport& r, int i) {
  std::uint32_t v = 0;
  for (int b = 3; b >= 0; --b) v = v << 8 | r[static_cast<std::size_t>(4 * i + b)];
  return static_cast<std::int32_t>(v);
}

std::vector<int> Buttons(const JoystickReport& r) { return {r.begin() + 26, r.end()}; }

ChannelTable Table(std::vector<std::int32_t> positions, std::int32_t slot8) {
  ChannelTable t{};
  for (std::size_t i = 0; i < 8; ++i) t.positions[i] = positions[i];
  t.positions[8] = slot8;
  t.positions[9] = 512;
  return t;
}

TEST(JoystickReport, DefaultMapCarriesAxesAndPrimaryButtons) {
  const ChannelTable t = Table({512, 0, 1023, 100, 900, 511, 511, 512}, 0);
  const JoystickReport r = BuildReport(t, kDefaultChannelMap);
  const std::int32_t axes[6] = {512, 0, 1023, 100, 900, 511};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Axis(r, i), axes[i]) << i;
  EXPECT_EQ(r[24], 0);
  EXPECT_EQ(r[25], 0);
  EXPECT_EQ(Buttons(r), (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Auxiliary slot 8 non-zero (512 at start, or 1) inverts button 10.
  for (std::int32_t slot8 : {1, 512}) {
    EXPECT_EQ(BuildReport(Table({512, 0, 1023, 100, 900, 511, 511, 512}, slot8), kDefaultChannelMap)[35], 1);
  }
}

TEST(JoystickReport, AdvancedButtonsCarryTheFoldedLevel) {
  struct Case {
    int button;              // 1 or 2: which primary button is Advanced
    std::int32_t position;   // its channel's position
    std::vector<int> buttons;  // report buttons 1 … 10
  };
  const std::vector<Case> cases = {
      {1, 511, {0, 0, 1, 0, 1, 0, 1, 0, 1, 0}},
      {1, 512, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {1, 768, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
      {1, 1023, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {1, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {2, 300, {0, 0, 0, 1, 0, 0, 0, 0, 0, 1}},  // 300 = 1 0010 1100: bits 8, 7, 6, 5 = 1, 0, 0, 1
  };
  for (const Case& c : cases) {
    ChannelMap map = kDefaultChannelMap;
    map[7 + c.button] = 1;
    std::vector<std::int32_t> positions(8, 0);
    positions[5 + c.button] = c.position;
    EXPECT_EQ(Buttons(BuildReport(Table(positions, 0), map)), c.buttons) << c.button << " at " << c.position;
  }
}

TEST(JoystickReport, MapMayRepeatAChannelAndOutOfRangeIndicesReadTheCentre) {
  const ChannelTable t = Table({10, 20, 30, 40, 50, 60, 700, 80}, 0);
  const ChannelMap map = {6, 6, 255, 8, 9, 0, 200, 6, 0, 0};
  const JoystickReport r = BuildReport(t, map);
  EXPECT_EQ(Axis(r, 0), 700);
  EXPECT_EQ(Axis(r, 1), 700);
  EXPECT_EQ(Axis(r, 2), 512);  // past the eight channels: the centre
  EXPECT_EQ(Axis(r, 3), 512);  // the auxiliary slots are not channels either
  EXPECT_EQ(Axis(r, 4), 512);
  EXPECT_EQ(Axis(r, 5), 10);
  EXPECT_EQ(r[26], 1);  // button 1 from the centre: 512 >= 512
}

}  // namespace
}  // namespace corvane
