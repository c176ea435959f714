// The mixer operations and corvane-decode's --device/--port/--volume on the real drivers of
// QEMU's emulated sound cards (AC'97, HD-Audio with the generic codec, ES1370), in one VM:
// the ports listed, each port selected and leveled and its playback namesake muted, read
// back through the kernel's controls, and every control given back as it was.
// Usage: corvane_system_sound_cards CORVANE-DECODE [gtest options]
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "audio/mixer.h"
#include "card_controls.h"
#include "child_process.h"
#include "decode/input_control.h"
#include "platform/linux/alsa_mixer_device.h"

namespace corvane::systest {
namespace {

using Controls = std::map<std::string, std::vector<long>>;
using Strings = std::vector<std::string>;

std::string g_decode;

struct SoundCard {
  const char* name;     // as ListInputDevices gives it
  const char* control;  // its control device, by id
  Strings ports;
  // Unequal channels, set before the test, that every restore must give back.
  Controls start;
  // What ApplyMixer at full level changes when `port` is selected.
  Controls (*selected)(Controls card, const std::string& port);
  const char* decodePort;  // what corvane-decode --port is given
  // Controls that may change while a port is selected, besides those above.
  bool (*sideEffect)(const std::string& control) = nullptr;
};

std::vector<long> Filled(const std::vector<long>& like, long value) { return std::vector<long>(like.size(), value); }

// STAC9700: one "Capture Source" for both channels, one shared capture volume.
Controls Ac97Selected(Controls card, const std::string& port) {
  const Strings items = {"Mic", "CD", "Video", "Aux", "Line", "Mix", "Mix Mono", "Phone"};
  const auto item = static_cast<long>(std::find(items.begin(), items.end(), port) - items.begin());
  card["Capture Source"] = {item, item};
  card["Capture Volume"] = {15, 15};
  return card;
}

// The generic codec's single input: its capture switch on, its volume up.
Controls HdaSelected(Controls card, const std::string&) {
  card["Capture Switch"] = {1, 1};
  card["Capture Volume"] = {74, 74};
  return card;
}

const Strings kEs1370Inputs = {"PCM", "PCM,1", "Line", "CD", "Mic", "Mic Bypass", "Aux", "Mono", "Mono1 Bypass",
                               "Mono2 Bypass", "Mono,1"};

// "Line Volume" for "Line", "Mono Volume,1" for "Mono,1".
std::string ControlName(const std::string& input, const char* what) {
  const std::size_t comma = input.find(',');
  return comma == std::string::npos ? input + " " + what : input.substr(0, comma) + " " + what + input.substr(comma);
}

// AK4531: each input its own capture switch ("Capture Route", left to left and right to
// right, for stereo inputs) and a volume shared with playback; the chosen one on, the
// others off.
Controls Es1370Selected(Controls card, const std::string& port) {
  for (const std::string& input : kEs1370Inputs) {
    const std::string route = ControlName(input, "Capture Route");
    const std::string capture = ControlName(input, "Capture Switch");
    if (card.count(route)) card[route] = input == port ? std::vector<long>{1, 0, 0, 1} : std::vector<long>{0, 0, 0, 0};
    if (card.count(capture)) card[capture] = Filled(card[capture], input == port);
  }
  const std::string volume = ControlName(port, "Volume");
  if (card.count(volume)) {
    card[volume] = Filled(card[volume], 31);
    // Only a source with a volume goes on to its playback namesake.
    const std::string mute = ControlName(port, "Playback Switch");
    if (card.count(mute)) card[mute] = Filled(card[mute], 0);
  }
  return card;
}

// ALSA's simple mixer sets an input's global switch by itself when it writes the input's
// volume or playback switch; it is given back with them.
bool Es1370SideEffect(const std::string& control) {
  return std::any_of(kEs1370Inputs.begin(), kEs1370Inputs.end(),
                     [&](const std::string& input) { return control == ControlName(input, "Switch"); });
}

const SoundCard kCards[] = {
    {"Intel 82801AA-ICH", "hw:I82801AAICH", {"Line", "CD", "Mic", "Video", "Phone", "Aux", "Mix", "Mix Mono"},
     {{"Capture Volume", {10, 3}}, {"Capture Source", {0, 4}}}, Ac97Selected, "Mic"},
    {"HDA Intel", "hw:Intel", {"Capture"}, {{"Capture Volume", {50, 20}}, {"Capture Switch", {1, 0}}},
     HdaSelected, "Capture"},
    {"Ensoniq AudioPCI", "hw:AudioPCI",
     {"PCM", "PCM,1", "Line", "CD", "Mic", "Mic Bypass", "Aux", "Mono", "Mono1 Bypass", "Mono2 Bypass", "Mono,1"},
     {{"Line Volume", {20, 7}}, {"Mic Capture Switch", {1, 0}}, {"CD Capture Route", {1, 0, 0, 1}}},
     Es1370Selected, "Mic", Es1370SideEffect},
};

// The controls whose values differ, for a readable failure.
std::string Differences(const Controls& got, const Controls& want,
                        bool (*ignored)(const std::string&) = nullptr) {
  std::string text;
  auto values = [](const Controls& c, const std::string& name) {
    const auto it = c.find(name);
    if (it == c.end()) return std::string("none");
    std::string v;
    for (long x : it->second) v += (v.empty() ? "" : " ") + std::to_string(x);
    return v;
  };
  Controls all = got;
  all.insert(want.begin(), want.end());
  for (const auto& [name, unused] : all) {
    if (ignored && ignored(name)) continue;
    if (values(got, name) != values(want, name)) {
      text += "\n  " + name + ": " + values(got, name) + " (expected " + values(want, name) + ")";
    }
  }
  return text;
}

// The kernel probes HD-Audio codecs in the background: wait until every card is there.
std::int32_t DeviceOf(AlsaMixerDevice& mixer, const std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    Strings devices;
    ListInputDevices(mixer, devices);
    const auto found = std::find(devices.begin(), devices.end(), name);
    if (found != devices.end()) return static_cast<std::int32_t>(found - devices.begin());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return -1;
}

class SoundCardMixer : public ::testing::TestWithParam<SoundCard> {};

TEST_P(SoundCardMixer, SelectsEachPortAndGivesEveryControlBack) {
  const SoundCard& card = GetParam();
  AlsaMixerDevice mixer;
  const std::int32_t device = DeviceOf(mixer, card.name);
  ASSERT_GE(device, 0) << card.name << " is not among the capture devices";
  CardControls controls(card.control);
  for (const auto& [name, values] : card.start) controls.Write(name, values);
  const Controls before = controls.Snapshot();

  Strings ports;
  ASSERT_TRUE(ListInputPorts(mixer, device, ports));
  EXPECT_EQ(ports, card.ports);
  auto receiver = CreateInputControl();
  for (std::size_t p = 0; p < ports.size(); ++p) {
    SCOPED_TRACE(ports[p]);
    SelectSource(*receiver, mixer, device, static_cast<std::int32_t>(p));
    EXPECT_EQ(Differences(controls.Snapshot(), before), "") << "selecting wrote to the card";
    ApplyMixer(*receiver, mixer, 65535);
    EXPECT_EQ(Differences(controls.Snapshot(), card.selected(before, ports[p]), card.sideEffect), "");
    RestoreMixer(*receiver, mixer);
    EXPECT_EQ(Differences(controls.Snapshot(), before), "");
  }

  // The tool, as a user runs it: chosen while it records, given back when SIGTERM ends it.
  const std::string out = "/tmp/decode-sound-cards.out";
  const pid_t decode =
      StartChild({"/bin/sh", "-c",
                  "exec " + g_decode + " --capture --device " + std::to_string(device) + " --port " +
                      card.decodePort + " --volume 65535 --seconds 60 >/dev/null 2>" + out},
                 {});
  const Controls selected = card.selected(before, card.decodePort);
  std::string differences;
  for (int attempt = 0; attempt < 150; ++attempt) {  // the VM may be slow to start it
    differences = Differences(controls.Snapshot(), selected, card.sideEffect);
    if (differences.empty()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(differences, "") << "while corvane-decode records";
  ::kill(decode, SIGTERM);
  const auto status = WaitForChild(decode, std::chrono::seconds(30));
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << ReadFile(out);
  EXPECT_EQ(Differences(controls.Snapshot(), before), "") << "after corvane-decode";
}

INSTANTIATE_TEST_SUITE_P(Emulated, SoundCardMixer, ::testing::ValuesIn(kCards),
                         [](const auto& info) { return std::string(info.param.control).substr(3); });

}  // namespace
}  // namespace corvane::systest

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORVANE-DECODE [gtest options]\n", argv[0]);
    return 2;
  }
  corvane::systest::g_decode = argv[1];
  return RUN_ALL_TESTS();
}
