// corvane-decode --joystick against the kernel's uinput, evdev and joydev: the device it
// creates, reports that follow the signal fed to it, the device gone at its end, and
// decoding that goes on without permission to create one.
// Usage: corvane_system_joystick CORVANE-DECODE CORVANE-SIGGEN [gtest options]
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "evdev_reader.h"
#include "generated_signal.h"
#include "input_nodes.h"
#include "joydev_info.h"
#include "printed_positions.h"
#include "tool_test_main.h"

namespace corvane::systest {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

std::string gDecode;
std::string gSiggen;

const std::string kName = "Kestrovan Virtual Joystick";
constexpr std::array<int, 6> kAxes = {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ};
constexpr int kButtons = 10;  // BTN_TRIGGER … BTN_BASE4

// One stretch of PCM1024 signal: the eight channel positions and auxiliary bit 8.
struct Segment {
  Positions positions;
  int aux8;
};

// The default map: axis i is Ch.i+1; buttons 1 and 2 tell whether Ch.7 and Ch.8 are in the
// upper half; the Advanced buttons stay released; auxiliary bit 8 inverts button 10.
JoystickState Expected(const Segment& segment) {
  JoystickState state{};
  for (std::size_t axis = 0; axis < 6; ++axis) state.axes[axis] = segment.positions[axis];
  state.buttons[0] = segment.positions[6] >= 512;
  state.buttons[1] = segment.positions[7] >= 512;
  state.buttons[9] = segment.aux8 != 0;
  return state;
}

JoystickState Current(const EvdevReader& reader) {
  JoystickState state{};
  for (std::size_t axis = 0; axis < 6; ++axis) state.axes[axis] = reader.Abs(kAxes[axis]);
  for (int button = 0; button < kButtons; ++button) {
    state.buttons[static_cast<std::size_t>(button)] = reader.Key(BTN_TRIGGER + button);
  }
  return state;
}

std::string Describe(const JoystickState& state) {
  std::string text = "axes " + CommaList(state.axes) + ", buttons ";
  for (const bool button : state.buttons) text += button ? '1' : '0';
  return text;
}

std::vector<std::int16_t> Signal(const Segment& segment, double seconds) {
  return GenerateSignal(gSiggen, {"--positions", CommaList(segment.positions), "--aux8",
                                   std::to_string(segment.aux8), "--duration", std::to_string(seconds)});
}

// Reads reports until the device shows WANTED. Every axis value on the way must be one a
// report can carry: a position of the signal, or the centre the device starts at and a
// report holds before a channel's first frame; anything else is a garbled report.
bool WaitForState(EvdevReader& reader, const JoystickState& wanted, const std::array<std::set<int>, 6>& possible,
                  milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool garbled = false;
  for (;;) {
    const JoystickState now = Current(reader);
    for (std::size_t axis = 0; axis < 6 && !garbled; ++axis) {
      garbled = !possible[axis].contains(now.axes[axis]);
      EXPECT_FALSE(garbled) << "a report left " << Describe(now);
    }
    if (now == wanted) return true;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ADD_FAILURE() << "the joystick shows " << Describe(now) << ", not " << Describe(wanted);
      return false;
    }
    reader.ReadReport(left);
  }
}

bool WaitUntilGone(InputInterface interface, milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (FindInputNode(interface, kName, milliseconds(0))) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

TEST(DecodeJoystick, CreatesTheJoystickFollowsTheSignalAndRemovesItAtTheEnd) {
  const Segment first{{100, 900, 300, 700, 0, 1023, 700, 200}, 0};
  const Segment second{{1023, 0, 650, 250, 512, 511, 511, 512}, 1};
  std::array<std::set<int>, 6> possible;
  for (std::size_t axis = 0; axis < 6; ++axis) {
    possible[axis] = {512, first.positions[axis], second.positions[axis]};
  }

  // The test feeds the signal through a pipe, so the joystick lives as long as the test wants.
  int input[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  const int errors = ::open("/tmp/decode-joystick.err", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(errors, 0);
  const pid_t decode = StartChild({gDecode, "--joystick", "--raw", "-"}, {input[0], -1, errors});
  ::close(input[0]);
  ::close(errors);

  const auto eventNode = FindInputNode(InputInterface::Evdev, kName, seconds(10));
  ASSERT_TRUE(eventNode) << "no /dev/input/event* node for " << kName;
  EvdevReader reader(*eventNode);
  EXPECT_EQ(reader.Name(), kName);
  // The ids of the hardware identifier the client names, "Kestrovan\VID_045E&PID_1100".
  EXPECT_EQ(reader.Id().bustype, BUS_VIRTUAL);
  EXPECT_EQ(reader.Id().vendor, 0x045E);
  EXPECT_EQ(reader.Id().product, 0x1100);
  EXPECT_EQ(reader.AbsAxes(), std::vector<int>(kAxes.begin(), kAxes.end()));
  for (const int axis : kAxes) {
    EXPECT_EQ(reader.AbsInfo(axis).minimum, 0) << "axis " << axis;
    EXPECT_EQ(reader.AbsInfo(axis).maximum, 1023) << "axis " << axis;
  }
  std::vector<int> buttons;
  for (int button = 0; button < kButtons; ++button) buttons.push_back(BTN_TRIGGER + button);
  EXPECT_EQ(reader.Keys(), buttons);
  // Before the first frame the stick rests at the centre, its buttons released.
  EXPECT_EQ(Describe(Current(reader)), Describe(JoystickState{{512, 512, 512, 512, 512, 512}, {}}));

  const auto jsNode = FindInputNode(InputInterface::Joydev, kName, seconds(5));
  ASSERT_TRUE(jsNode) << "no /dev/input/js* node for " << kName;
  const JoydevInfo js = QueryJoydev(*jsNode);
  EXPECT_EQ(js.name, kName);
  EXPECT_EQ(js.axes, 6);
  EXPECT_EQ(js.buttons, 10);

  // Each stretch of signal sets every axis and button anew, so a report arrives in packets.
  for (const Segment* segment : {&first, &second}) {
    const std::vector<std::int16_t> signal = Signal(*segment, 1.0);
    ASSERT_TRUE(WriteSamples(input[1], signal.data(), signal.size()));
    EXPECT_TRUE(WaitForState(reader, Expected(*segment), possible, seconds(20)));
  }

  ::close(input[1]);
  const auto status = WaitForChild(decode, seconds(20));
  ASSERT_TRUE(status) << "corvane-decode did not end when its input did";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  EXPECT_EQ(ReadFile("/tmp/decode-joystick.err"), "");
  EXPECT_TRUE(WaitUntilGone(InputInterface::Evdev, seconds(5))) << "the event node outlived corvane-decode";
  EXPECT_TRUE(WaitUntilGone(InputInterface::Joydev, seconds(5))) << "the js node outlived corvane-decode";
}

TEST(DecodeJoystick, WithoutPermissionForUinputSaysSoOnceAndStillDecodes) {
  struct stat uinput{};
  ASSERT_EQ(::stat("/dev/uinput", &uinput), 0);
  ASSERT_EQ(uinput.st_mode & 0006, 0u) << "/dev/uinput is open to everyone: nothing to deny";

  const Segment segment{{10, 20, 30, 40, 50, 60, 70, 80}, 0};
  const std::vector<std::int16_t> signal = Signal(segment, 1.0);
  const int file = ::open("/tmp/decode-nobody.raw", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(file, 0);
  ASSERT_TRUE(WriteSamples(file, signal.data(), signal.size()));
  ::close(file);

  int output[2];
  ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
  const int errors = ::open("/tmp/decode-nobody.err", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(errors, 0);
  constexpr uid_t kNobody = 65534;
  const pid_t decode = StartChild({gDecode, "--joystick", "--json", "--raw", "/tmp/decode-nobody.raw"},
                                  {-1, output[1], errors}, kNobody);
  ::close(output[1]);
  ::close(errors);

  // Channels arrive over several frames: a line holds each one's position or the centre.
  std::array<std::set<int>, 8> possible;
  for (std::size_t channel = 0; channel < 8; ++channel) possible[channel] = {512, segment.positions[channel]};
  LineReader lines(output[0]);
  int whole = 0;
  while (const auto line = lines.Next(seconds(20))) {
    const auto printed = PrintedPositions(*line);
    ASSERT_TRUE(printed) << *line;
    EXPECT_TRUE(EachChannelIn(*printed, possible)) << *line;
    whole += *printed == segment.positions;
  }
  EXPECT_GE(whole, 40) << "buffers of 48 with every position";
  const auto status = WaitForChild(decode, seconds(20));
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  EXPECT_EQ(ReadFile("/tmp/decode-nobody.err"),
            "Corvane: no virtual joystick: no permission to open /dev/uinput (Permission denied), the udev "
            "rule is not installed; see \"Virtual joystick\" in README.md\n");
  EXPECT_FALSE(FindInputNode(InputInterface::Evdev, kName, milliseconds(0)));
}

}  // namespace
}  // namespace corvane::systest

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);  // a tool that ended early shows as a failed write
  return corvane::systest::RunToolTests(argc, argv, corvane::systest::gDecode, corvane::systest::gSiggen);
}
