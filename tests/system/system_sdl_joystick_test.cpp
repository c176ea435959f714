// The joystick as a game sees it through SDL2, while corvane-decode --joystick plays a sweep:
// a plain joystick (not a game controller) with Corvane's name and ids, at rest at the
// centre before the first frame, and for every printed report exactly the axis and button
// events SDL makes of it.
// Usage: corvane_system_sdl_joystick CORVANE-DECODE CORVANE-SIGGEN [gtest options]
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "generated_signal.h"
#include "input_nodes.h"
#include "printed_positions.h"
#include "tool_test_main.h"

namespace corvane::systest {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

std::string gDecode;
std::string gSiggen;

const std::string kName = "Kestrovan Virtual Joystick";
constexpr std::size_t kBufferSamples = 1000;
constexpr double kSweepSeconds = 5;  // button 2 is pressed after 1 s, button 1 released after 4 s

// SDL 2.26's Linux backend maps an axis's minimum … maximum (here 0 … 1023) onto
// -32768 … 32767 in single precision: floorf((v - min) * (65535.0f / (max - min)) - 32768 + 0.5f).
// So 0 → -32768, 512 → 32, 1023 → 32767.
int SdlAxis(int value) {
  const float scale = 65535.0f / 1023.0f;
  return static_cast<int>(std::floor(static_cast<float>(value) * scale + -32768.0f + 0.5f));
}

// SDL posts no motion of an axis until it has moved more than this from the value it had
// when the joystick was opened; it then posts that first value and the new one.
constexpr int kSdlInitialJitter = 32767 / 80;

struct Event {
  enum Kind { kAxis, kButton } kind;
  int index;
  int value;
  bool operator==(const Event&) const = default;
};

std::string Describe(const std::vector<Event>& events) {
  std::string text;
  for (const Event& e : events) {
    text += (e.kind == Event::kAxis ? " axis " : " button ") + std::to_string(e.index) + "=" +
            std::to_string(e.value);
  }
  return text.empty() ? " none" : text;
}

// What SDL shows of the joystick, and the events it posts as reports arrive.
class SdlModel {
 public:
  // The state SDL reads when it opens the joystick.
  explicit SdlModel(const JoystickState& start) : state_(start) {
    for (std::size_t axis = 0; axis < 6; ++axis) axes_[axis] = SdlAxis(start.axes[axis]);
  }

  std::vector<Event> Apply(const JoystickState& report) {
    std::vector<Event> events;
    for (std::size_t axis = 0; axis < 6; ++axis) {
      const int value = SdlAxis(report.axes[axis]);
      const int index = static_cast<int>(axis);
      if (value == axes_[axis]) continue;
      if (!moved_[axis]) {
        if (std::abs(value - axes_[axis]) <= kSdlInitialJitter) continue;
        moved_[axis] = true;
        events.push_back({Event::kAxis, index, axes_[axis]});
      }
      axes_[axis] = value;
      events.push_back({Event::kAxis, index, value});
    }
    for (std::size_t button = 0; button < 10; ++button) {
      if (report.buttons[button] == state_.buttons[button]) continue;
      events.push_back({Event::kButton, static_cast<int>(button), report.buttons[button] ? 1 : 0});
    }
    state_ = report;
    return events;
  }

  int Axis(std::size_t axis) const { return axes_[axis]; }
  bool Button(std::size_t button) const { return state_.buttons[button]; }

 private:
  JoystickState state_;
  std::array<int, 6> axes_{};
  std::array<bool, 6> moved_{};
};

// The axis and button events SDL posts within TIMEOUT, until COUNT have come.
std::vector<Event> SdlEvents(std::size_t count, milliseconds timeout) {
  std::vector<Event> events;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (events.size() < count) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    SDL_Event event;
    if (left.count() <= 0 || SDL_WaitEventTimeout(&event, static_cast<int>(left.count()) + 1) == 0) break;
    if (event.type == SDL_JOYAXISMOTION)
      events.push_back({Event::kAxis, event.jaxis.axis, event.jaxis.value});
    if (event.type == SDL_JOYBUTTONDOWN || event.type == SDL_JOYBUTTONUP) {
      events.push_back({Event::kButton, event.jbutton.button, event.jbutton.state == SDL_PRESSED ? 1 : 0});
    }
  }
  return events;
}

bool WaitForSdlRemoval(milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    SDL_Event event;
    if (left.count() <= 0 || SDL_WaitEventTimeout(&event, static_cast<int>(left.count()) + 1) == 0)
      return false;
    if (event.type == SDL_JOYDEVICEREMOVED) return true;
  }
}

// The lines corvane-decode prints for SIGNAL read from a file, by buffer number.
std::map<int, std::string> PrintedFromFile(const std::vector<std::int16_t>& signal) {
  const std::string path = "/tmp/sdl-sweep.raw";
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const bool written = file >= 0 && WriteSamples(file, signal.data(), signal.size());
  if (file >= 0) ::close(file);
  if (!written) return {};
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) return {};
  const pid_t decode = StartChild({gDecode, "--json", "--raw", path}, {-1, output[1], -1});
  ::close(output[1]);
  LineReader lines(output[0]);
  std::map<int, std::string> printed;
  while (const auto line = lines.Next(seconds(20))) {
    if (const auto buffer = PrintedBuffer(*line)) printed[*buffer] = *line;
  }
  WaitForChild(decode, seconds(10));
  return printed;
}

class SdlJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    // Without udev (as in this VM, or a container) SDL finds joysticks by watching
    // /dev/input itself; with udev it would take only what udev has tagged a joystick.
    SDL_SetHint("SDL_JOYSTICK_DISABLE_UDEV", "1");
    ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  }
  void TearDown() override {
    if (joystick_) SDL_JoystickClose(joystick_);
    SDL_Quit();
  }
  SDL_Joystick* joystick_ = nullptr;
};

TEST_F(SdlJoystick, SeesAPlainJoystickAtTheCentreAndEveryReportOfASweep) {
  const std::vector<std::int16_t> signal =
      GenerateSignal(gSiggen, {"--sweep", "--duration", std::to_string(kSweepSeconds)});
  const std::map<int, std::string> printed = PrintedFromFile(signal);
  ASSERT_GE(printed.size(), 200u) << "buffers with a decoded frame of " << signal.size() / kBufferSamples;

  // The test feeds the signal one buffer at a time, so that it knows which report each
  // event belongs to and the kernel never drops events a slow reader has not taken.
  int input[2];
  int output[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
  const int errors = ::open("/tmp/sdl-decode.err", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(errors, 0);
  const pid_t decode =
      StartChild({gDecode, "--joystick", "--json", "--raw", "-"}, {input[0], output[1], errors});
  EndChildOnExit endDecode(decode);
  ::close(input[0]);
  ::close(output[1]);
  ::close(errors);
  LineReader lines(output[0]);
  ASSERT_TRUE(FindInputNode(InputInterface::Evdev, kName, seconds(10)))
      << "no /dev/input/event* node for " << kName;

  // SDL looks for new joysticks as it pumps events: by inotify on /dev/input, or, when
  // that folder did not exist yet as SDL started, by reading it every 3 seconds.
  for (int tries = 0; tries < 500 && SDL_NumJoysticks() < 1; ++tries) {
    SDL_PumpEvents();
    SDL_Delay(20);
  }
  ASSERT_EQ(SDL_NumJoysticks(), 1);
  EXPECT_STREQ(SDL_JoystickNameForIndex(0), kName.c_str());
  EXPECT_FALSE(SDL_IsGameController(0)) << "SDL maps it as a game controller";
  joystick_ = SDL_JoystickOpen(0);
  ASSERT_NE(joystick_, nullptr) << SDL_GetError();
  EXPECT_NE(SDL_JoystickGetType(joystick_), SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  EXPECT_EQ(SDL_JoystickGetVendor(joystick_), 0x045E);
  EXPECT_EQ(SDL_JoystickGetProduct(joystick_), 0x1100);
  ASSERT_EQ(SDL_JoystickNumAxes(joystick_), 6);
  ASSERT_EQ(SDL_JoystickNumButtons(joystick_), 10);
  EXPECT_EQ(SDL_JoystickNumHats(joystick_), 0);

  // Before the first frame: every axis at the centre, every button released.
  SDL_JoystickUpdate();
  const JoystickState centre{{512, 512, 512, 512, 512, 512}, {}};
  SdlModel model(centre);
  for (std::size_t axis = 0; axis < 6; ++axis) {
    EXPECT_EQ(SDL_JoystickGetAxis(joystick_, static_cast<int>(axis)), SdlAxis(512)) << "axis " << axis;
  }
  for (int button = 0; button < 10; ++button)
    EXPECT_EQ(SDL_JoystickGetButton(joystick_, button), 0) << "button " << button;
  EXPECT_EQ(Describe(SdlEvents(1, milliseconds(100))), " none") << "before the first frame";

  int reports = 0;
  int events = 0;
  for (std::size_t buffer = 0; buffer * kBufferSamples < signal.size(); ++buffer) {
    const std::size_t count = std::min(kBufferSamples, signal.size() - buffer * kBufferSamples);
    ASSERT_TRUE(WriteSamples(input[1], signal.data() + buffer * kBufferSamples, count));
    const auto expected = printed.find(static_cast<int>(buffer));
    if (expected == printed.end()) continue;  // no frame decoded: nothing is sent
    const auto line = lines.Next(seconds(20));
    ASSERT_TRUE(line) << "no report printed for buffer " << buffer;
    ASSERT_EQ(*line, expected->second) << "the report differs from the one decoded from a file";
    const auto report = PrintedReport(*line);
    ASSERT_TRUE(report) << *line;
    const std::vector<Event> wanted = model.Apply(*report);
    const std::vector<Event> got = SdlEvents(wanted.size(), seconds(10));
    ASSERT_EQ(Describe(got), Describe(wanted)) << "buffer " << buffer << ": " << *line;
    ++reports;
    events += static_cast<int>(got.size());
  }
  EXPECT_EQ(Describe(SdlEvents(1, milliseconds(200))), " none") << "after the last report";
  for (std::size_t axis = 0; axis < 6; ++axis) {
    EXPECT_EQ(SDL_JoystickGetAxis(joystick_, static_cast<int>(axis)), model.Axis(axis)) << "axis " << axis;
  }
  for (std::size_t button = 0; button < 10; ++button) {
    EXPECT_EQ(SDL_JoystickGetButton(joystick_, static_cast<int>(button)), model.Button(button) ? 1 : 0)
        << "button " << button;
  }
  std::printf("%d reports checked, %d SDL events\n", reports, events);

  ::close(input[1]);
  const auto status = WaitForChild(decode, seconds(20));
  ASSERT_TRUE(status) << "corvane-decode did not end when its input did";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  EXPECT_EQ(ReadFile("/tmp/sdl-decode.err"), "");
  EXPECT_TRUE(WaitForSdlRemoval(seconds(5))) << "SDL still lists the joystick after corvane-decode ended";
}

}  // namespace
}  // namespace corvane::systest

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);  // a tool that ended early shows as a failed write
  return corvane::systest::RunToolTests(argc, argv, corvane::systest::gDecode, corvane::systest::gSiggen);
}
