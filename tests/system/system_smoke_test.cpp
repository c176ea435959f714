// Proves the system-test VM: a uinput joystick reaches evdev and joydev, and the sound cards
// the later tests use are there and carry samples from playback to capture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "evdev_reader.h"
#include "input_nodes.h"
#include "joydev_info.h"
#include "loopback_player.h"
#include "pcm_stream.h"
#include "uinput_test_joystick.h"

namespace corvane::systest {
namespace {

using std::chrono::milliseconds;

TEST(SystemVm, UinputJoystickAppearsOnEvdevAndJoydevAndReportsArriveWhole) {
  const std::string name = "Corvane VM smoke joystick";
  UinputTestJoystick joystick(name);

  const auto eventNode = FindInputNode(InputInterface::Evdev, name, milliseconds(2000));
  ASSERT_TRUE(eventNode) << "no /dev/input/event* node for " << name;
  EvdevReader reader(*eventNode);
  EXPECT_EQ(reader.Name(), name);
  EXPECT_EQ(reader.Id().vendor, 0x1234);
  const std::vector<int> axes(UinputTestJoystick::kAxes.begin(), UinputTestJoystick::kAxes.end());
  ASSERT_EQ(reader.AbsAxes(), axes);
  for (const int axis : axes) {
    EXPECT_EQ(reader.AbsInfo(axis).minimum, 0);
    EXPECT_EQ(reader.AbsInfo(axis).maximum, 1023);
  }
  std::vector<int> buttons;
  for (int i = 0; i < UinputTestJoystick::kButtons; ++i) buttons.push_back(UinputTestJoystick::kFirstButton + i);
  EXPECT_EQ(reader.Keys(), buttons);

  const auto jsNode = FindInputNode(InputInterface::Joydev, name, milliseconds(2000));
  ASSERT_TRUE(jsNode) << "no /dev/input/js* node for " << name;
  const JoydevInfo js = QueryJoydev(*jsNode);
  EXPECT_EQ(js.name, name);
  EXPECT_EQ(js.axes, 6);
  EXPECT_EQ(js.buttons, 10);

  // Every axis and button changes, in two reports in a row: 16 events are more than the kernel
  // passes at once, so each report comes split into packets and must still be read whole.
  const std::array<std::array<int, 6>, 2> axis_values = {{{1, 1023, 512, 7, 900, 300}, {0, 5, 1000, 1023, 2, 511}}};
  const std::array<std::array<bool, 10>, 2> button_values = {
      {{true, true, true, true, true, true, true, true, true, true},
       {false, false, false, false, false, false, false, false, false, false}}};
  for (std::size_t report = 0; report < 2; ++report) {
    joystick.Report(axis_values[report], button_values[report]);
    ASSERT_TRUE(reader.ReadReport(milliseconds(2000))) << "report " << report;
    EXPECT_GE(reader.PacketsInLastReport(), 2) << "the kernel no longer splits a 16-event report";
    for (std::size_t axis = 0; axis < 6; ++axis) {
      EXPECT_EQ(reader.Abs(UinputTestJoystick::kAxes[axis]), axis_values[report][axis]) << "report " << report;
    }
    for (int button = 0; button < UinputTestJoystick::kButtons; ++button) {
      EXPECT_EQ(reader.Key(UinputTestJoystick::kFirstButton + button),
                button_values[report][static_cast<std::size_t>(button)])
          << "report " << report << ", button " << button;
    }
  }
}

TEST(SystemVm, LoopbackAndDummySoundCardsArePresent) {
  std::ifstream file("/proc/asound/cards");
  std::stringstream cards;
  cards << file.rdbuf();
  EXPECT_NE(cards.str().find("[Loopback"), std::string::npos) << cards.str();
  EXPECT_NE(cards.str().find("[Dummy"), std::string::npos) << cards.str();
}

TEST(SystemVm, LoopbackCarriesPlayedSamplesToCaptureUnchanged) {
  // 0.1 s of a pseudo-random pattern: a shifted, truncated or altered copy would not match.
  std::vector<std::int16_t> pattern(4800);
  std::uint32_t state = 12345;
  for (auto& sample : pattern) {
    state = state * 1664525u + 1013904223u;
    sample = static_cast<std::int16_t>(state >> 16);
  }

  // "default", as the program records: asound-loopback.conf makes it the loopback's capture side.
  PcmStream capture("default", PcmStream::Direction::Capture);
  std::string playerError;
  std::thread player([&] {
    try {
      PlayThroughLoopback(pattern);
    } catch (const std::exception& error) {
      playerError = error.what();
    }
  });
  std::vector<std::int16_t> recorded;
  std::vector<std::int16_t> chunk(960);
  bool found = false;
  std::string capture_error;
  try {
    while (!found && recorded.size() < 48000 * 3) {
      capture.Read(chunk);
      recorded.insert(recorded.end(), chunk.begin(), chunk.end());
      // Only where the new samples can complete a match: the VM's processor is emulated.
      const std::size_t window = std::min(recorded.size(), chunk.size() + pattern.size());
      const auto from = recorded.end() - static_cast<std::ptrdiff_t>(window);
      found = std::search(from, recorded.end(), pattern.begin(), pattern.end()) != recorded.end();
    }
  } catch (const std::exception& error) {
    capture_error = error.what();
  }
  player.join();
  EXPECT_EQ(playerError, "");
  EXPECT_EQ(capture_error, "");
  EXPECT_TRUE(found) << "the pattern did not arrive whole in " << recorded.size() << " captured samples ("
                     << capture.Xruns() << " overruns)";
}

}  // namespace
}  // namespace corvane::systest
