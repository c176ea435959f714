// The sound server's mixer against a real headless server (PulseAudio or pipewire-pulse),
// started by pulse_mixer_test.sh with a stereo virtual source, CORVANE_TEST_SOURCE, that
// has no ports: virtual sources have none, so choosing among ports is left to the system
// tests with a real card. The server's own view is read with pactl.

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "audio/mixer.h"
#include "decode/input_control.h"
#include "platform/linux/pulse_mixer_device.h"
#include "platform/linux/pulse_server.h"

namespace corvane {
namespace {

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

void Pactl(const std::string& arguments) {
  ASSERT_EQ(std::system(("pactl " + arguments + " >/dev/null").c_str()), 0) << arguments;
}

const std::string kSource = std::getenv("CORVANE_TEST_SOURCE") ? std::getenv("CORVANE_TEST_SOURCE") : "";

// The source's volume per channel, in the server's units, as pactl reports it.
std::vector<std::uint32_t> ServerVolume() {
  const std::string text = Output("pactl get-source-volume " + kSource);
  const std::string line = text.substr(0, text.find('\n'));
  std::vector<std::uint32_t> volume;
  // Each channel reads ": VALUE / ".
  for (std::size_t at = line.find(": "); at != std::string::npos; at = line.find(": ", at + 1)) {
    const std::size_t digits = at + 2;
    std::size_t end = digits;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
    if (end > digits && line.compare(end, 3, " / ") == 0) {
      volume.push_back(static_cast<std::uint32_t>(std::stoul(line.substr(digits, end - digits))));
    }
  }
  return volume;
}

bool ServerMute() { return Output("pactl get-source-mute " + kSource).find("yes") != std::string::npos; }

class PulseMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(kSource.empty()) << "run through pulse_mixer_test.sh";
    auto server = PulseServer::Connect(std::chrono::seconds(2));
    ASSERT_NE(server, nullptr);
    mixer_ =
        std::make_unique<PulseMixerDevice>(std::move(server), PulseMixerDevice::Sources::kAllButMonitors);
    ASSERT_TRUE(ListInputDevices(*mixer_, devices_));
  }

  // The device of the test source, which describes itself by its name.
  std::int32_t TestDevice() const {
    for (std::size_t d = 0; d < devices_.size(); ++d) {
      if (devices_[d] == kSource) return static_cast<std::int32_t>(d);
    }
    ADD_FAILURE() << "the test source is not listed";
    return -1;
  }

  std::unique_ptr<PulseMixerDevice> mixer_;
  std::vector<std::string> devices_;
};

TEST_F(PulseMixerTest, ListsTheServersSourcesInItsOrderWithoutMonitors) {
  // Every source's description, but those that monitor a sink.
  std::vector<std::string> expected;
  const std::string list = Output("pactl list sources | sed -n 's/^\\s*Description: //p'");
  const std::string monitors = Output("pactl list sources | sed -n 's/^\\s*Monitor of Sink: //p'");
  std::size_t at = 0, monitorAt = 0;
  while (at < list.size()) {
    const std::size_t end = list.find('\n', at), monitorEnd = monitors.find('\n', monitorAt);
    if (monitors.substr(monitorAt, monitorEnd - monitorAt) == "n/a")
      expected.push_back(list.substr(at, end - at));
    at = end + 1;
    monitorAt = monitorEnd + 1;
  }
  EXPECT_EQ(devices_, expected);
  EXPECT_GE(devices_.size(), 2u);

  // A source without ports offers itself as its one port.
  std::vector<std::string> ports;
  EXPECT_TRUE(ListInputPorts(*mixer_, TestDevice(), ports));
  EXPECT_EQ(ports, std::vector<std::string>{kSource});

  // The program's own choice lists hardware only: here, none of these virtual sources.
  PulseMixerDevice hardware(PulseServer::Connect(std::chrono::seconds(2)));
  std::vector<std::string> cards;
  EXPECT_TRUE(ListInputDevices(hardware, cards));
  EXPECT_TRUE(cards.empty());
}

TEST_F(PulseMixerTest, ChoosingRecordsAtTheLevelAndRestoringGivesEveryChannelAndTheMuteBack) {
  Pactl("set-source-volume " + kSource + " 19661 45875");  // 30 % and 70 %
  Pactl("set-source-mute " + kSource + " 1");
  auto receiver = CreateInputControl();
  const std::int32_t device = TestDevice();

  SelectSource(*receiver, *mixer_, device, 0);
  EXPECT_EQ(receiver->MuteControl, -1);              // the server plays no input back: nothing to mute
  EXPECT_EQ(ReadVolume(*receiver, *mixer_), 45874);  // the loudest channel, 45875 × 65535 / 65536
  ApplyMixer(*receiver, *mixer_, ReadVolume(*receiver, *mixer_));
  EXPECT_FALSE(ServerMute()) << "choosing the source switches its recording on";
  EXPECT_EQ(ServerVolume(), (std::vector<std::uint32_t>{19661, 45875})) << "the level read, written back";

  // 0 … 65535 onto the server's 0 … 100 %, every channel.
  const struct {
    std::int32_t level;
    std::uint32_t volume;
  } levels[] = {{0, 0}, {1, 1}, {32768, 32769}, {40000, 40001}, {65535, 65536}};
  for (const auto& c : levels) {
    ApplyMixer(*receiver, *mixer_, c.level);
    EXPECT_EQ(ServerVolume(), (std::vector<std::uint32_t>{c.volume, c.volume})) << c.level;
  }

  RestoreMixer(*receiver, *mixer_);
  EXPECT_EQ(ServerVolume(), (std::vector<std::uint32_t>{19661, 45875}));
  EXPECT_TRUE(ServerMute());

  // Selecting again restores first: what is kept stays the server's own state.
  SelectSource(*receiver, *mixer_, device, 0);
  ApplyMixer(*receiver, *mixer_, 1000);
  SelectSource(*receiver, *mixer_, device, 0);
  ApplyMixer(*receiver, *mixer_, 2000);
  RestoreMixer(*receiver, *mixer_);
  EXPECT_EQ(ServerVolume(), (std::vector<std::uint32_t>{19661, 45875}));
  EXPECT_TRUE(ServerMute());

  // Levels read back: the loudest channel; beyond 100 % the slider's end.
  for (const auto& c : levels) {
    Pactl("set-source-volume " + kSource + " 0 " + std::to_string(c.volume));
    EXPECT_EQ(ReadVolume(*receiver, *mixer_), c.level) << c.volume;
  }
  Pactl("set-source-volume " + kSource + " 98304 0");  // 150 %
  EXPECT_EQ(ReadVolume(*receiver, *mixer_), 65535);
}

TEST(PulseServerTest, NoServerCostsNothing) {
  const char* before = std::getenv("PULSE_SERVER");
  const std::string saved = before ? before : "";
  setenv("PULSE_SERVER", "unix:/nonexistent/corvane-test/native", 1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(PulseServer::Connect(std::chrono::seconds(5)), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  if (before) {
    setenv("PULSE_SERVER", saved.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
}

}  // namespace
}  // namespace corvane
