// The ALSA mixer backend on the layouts of common cards, served by the fake card's control
// plugin: which sources are listed, what selecting one writes, and that everything
// written is given back as it was, unequal channels too.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "audio/mixer.h"
#include "fakes/fake_card.h"
#include "platform/linux/alsa_mixer_device.h"

namespace corvane {
namespace {

using testing::FakeCardControl;
using T = FakeCardControl;
using Strings = std::vector<std::string>;
using Values = std::vector<long>;
using Snapshot = std::map<std::pair<std::string, unsigned>, Values>;

Snapshot Card() {
  Snapshot snapshot;
  for (const FakeCardControl& c : CorvaneFakeCardControls()) snapshot[{c.name, c.index}] = c.values;
  return snapshot;
}

FakeCardControl* Control(const std::string& name, unsigned index = 0) {
  for (FakeCardControl& c : CorvaneFakeCardControls()) {
    if (c.name == name && c.index == index) return &c;
  }
  return nullptr;
}

AlsaMixerDevice FakeCardMixer() {
  return AlsaMixerDevice(std::vector<AlsaMixerDevice::Card>{{"Fake Card", "corvane_fake_card"}});
}

// HD-Audio through the kernel's generic parser: a selector, one capture volume, boosts,
// and the analog loopback's playback controls. Channels are set unequal on purpose.
std::vector<FakeCardControl> HdAudio() {
  return {
      {"Master Playback Volume", T::kInteger, 0, 87, {}, {60, 60}},
      {"Master Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Auto-Mute Mode", T::kEnumerated, 0, 0, {"Disabled", "Enabled"}, {1}},
      {"Mic Playback Volume", T::kInteger, 0, 31, {}, {10, 10}},
      {"Mic Playback Switch", T::kBoolean, 0, 1, {}, {1, 0}},
      {"Front Mic Playback Volume", T::kInteger, 0, 31, {}, {8, 8}},
      {"Front Mic Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Capture Volume", T::kInteger, 0, 63, {}, {40, 20}},
      {"Capture Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Input Source", T::kEnumerated, 0, 0, {"Mic", "Line", "Front Mic"}, {1}},
      {"Mic Boost Volume", T::kInteger, 0, 3, {}, {0, 0}},
      {"Line Boost Volume", T::kInteger, 0, 3, {}, {1, 1}},
      {"Front Mic Boost Volume", T::kInteger, 0, 3, {}, {2, 2}},
  };
}

// The same with a second converter: its selector and volume are index 1.
std::vector<FakeCardControl> HdAudioTwoAdcs() {
  std::vector<FakeCardControl> controls = HdAudio();
  controls.push_back({"Input Source", T::kEnumerated, 0, 0, {"Mic", "Line", "Front Mic"}, {2}, 1});
  controls.push_back({"Capture Volume", T::kInteger, 0, 63, {}, {5, 5}, 1});
  controls.push_back({"Capture Switch", T::kBoolean, 0, 1, {}, {1, 1}, 1});
  return controls;
}

// A USB adapter: one mono microphone with its capture controls, monitored on playback.
std::vector<FakeCardControl> UsbAdapter() {
  return {
      {"Speaker Playback Volume", T::kInteger, 0, 37, {}, {20, 20}},
      {"Speaker Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Mic Playback Volume", T::kInteger, 0, 31, {}, {16}},
      {"Mic Playback Switch", T::kBoolean, 0, 1, {}, {1}},
      {"Mic Capture Volume", T::kInteger, 0, 16, {}, {8}},
      {"Mic Capture Switch", T::kBoolean, 0, 1, {}, {0}},
  };
}

// AC'97: ALSA makes one exclusive capture switch per "Capture Source" item; left records
// Mic, right Line.
std::vector<FakeCardControl> Ac97() {
  return {
      {"Master Playback Volume", T::kInteger, 0, 31, {}, {31, 31}},
      {"Master Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Mic Playback Volume", T::kInteger, 0, 31, {}, {10}},
      {"Mic Playback Switch", T::kBoolean, 0, 1, {}, {1}},
      {"Line Playback Volume", T::kInteger, 0, 31, {}, {5, 5}},
      {"Line Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Capture Source", T::kEnumerated, 0, 0, {"Mic", "CD", "Line", "Mix"}, {0, 2}},
      {"Capture Volume", T::kInteger, 0, 15, {}, {8, 4}},
      {"Capture Switch", T::kBoolean, 0, 1, {}, {1, 1}},
  };
}

// Each input its own capture switch, several on at once.
std::vector<FakeCardControl> SwitchEach() {
  return {
      {"Master Playback Volume", T::kInteger, 0, 31, {}, {20, 20}},
      {"Line Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Line Capture Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Line Capture Volume", T::kInteger, 0, 31, {}, {3, 3}},
      {"Mic Playback Switch", T::kBoolean, 0, 1, {}, {1}},
      {"Mic Capture Switch", T::kBoolean, 0, 1, {}, {0, 1}},
      {"Mic Capture Volume", T::kInteger, 0, 31, {}, {10, 12}},
  };
}

// The same with Mic, the one to be chosen, already on and Line half on.
std::vector<FakeCardControl> SwitchEachChosenOn() {
  std::vector<FakeCardControl> controls = SwitchEach();
  for (FakeCardControl& c : controls) {
    if (c.name == "Line Capture Switch") c.values = {1, 0};
    if (c.name == "Mic Capture Switch") c.values = {1, 1};
  }
  return controls;
}

struct Layout {
  const char* what;
  std::vector<FakeCardControl> (*controls)();
  Strings ports;
  std::int32_t port;     // the one selected
  std::int32_t level;    // ReadVolume of it
  Snapshot changes;      // by ApplyMixer at full level
};

TEST(AlsaMixer, SelectsEachLayoutsSourceAndGivesEveryChannelBack) {
  const Layout layouts[] = {
      {"HD-Audio", HdAudio, {"Mic", "Line", "Front Mic"}, 2, 41610,  // the louder channel, 40 of 63
       {{{"Capture Volume", 0}, {63, 63}}, {{"Front Mic Playback Switch", 0}, {0, 0}},
        {{"Input Source", 0}, {2}}}},
      {"HD-Audio, no namesake", HdAudio, {"Mic", "Line", "Front Mic"}, 1, 41610,
       {{{"Capture Volume", 0}, {63, 63}}}},
      {"HD-Audio, two converters", HdAudioTwoAdcs, {"Mic", "Line", "Front Mic"}, 0, 41610,
       {{{"Capture Volume", 0}, {63, 63}}, {{"Mic Playback Switch", 0}, {0, 0}}, {{"Input Source", 0}, {0}}}},
      {"USB adapter", UsbAdapter, {"Mic"}, 0, 32768,
       {{{"Mic Capture Volume", 0}, {16}}, {{"Mic Capture Switch", 0}, {1}}, {{"Mic Playback Switch", 0}, {0}}}},
      {"AC'97", Ac97, {"Line", "CD", "Mic", "Mix"}, 0, 34952,
       {{{"Capture Volume", 0}, {15, 15}}, {{"Line Playback Switch", 0}, {0, 0}}, {{"Capture Source", 0}, {2, 2}}}},
      {"switch each", SwitchEach, {"Line", "Mic"}, 1, 25368,
       {{{"Mic Capture Volume", 0}, {31, 31}}, {{"Mic Capture Switch", 0}, {1, 1}},
        {{"Line Capture Switch", 0}, {0, 0}}, {{"Mic Playback Switch", 0}, {0}}}},
      {"switch each, the chosen one on", SwitchEachChosenOn, {"Line", "Mic"}, 1, 25368,
       {{{"Mic Capture Volume", 0}, {31, 31}}, {{"Line Capture Switch", 0}, {0, 0}},
        {{"Mic Playback Switch", 0}, {0}}}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.what);
    CorvaneFakeCardControls() = layout.controls();
    const Snapshot before = Card();
    AlsaMixerDevice mixer = FakeCardMixer();
    Strings ports;
    ASSERT_TRUE(ListInputPorts(mixer, 0, ports));
    EXPECT_EQ(ports, layout.ports);

    auto rx = CreateInputControl();
    SelectSource(*rx, mixer, 0, layout.port);
    EXPECT_EQ(rx->MuxItems, static_cast<std::int32_t>(layout.ports.size()));
    EXPECT_EQ(rx->MuxMask, 1 << layout.port);
    EXPECT_EQ(Card(), before) << "selecting wrote to the card";
    EXPECT_EQ(ReadVolume(*rx, mixer), layout.level);
    // The slider where ReadVolume put it changes no channel.
    ApplyMixer(*rx, mixer, layout.level);
    for (const auto& [control, values] : layout.changes) {
      if (control.first.find("Volume") != std::string::npos) {
        EXPECT_EQ(Card()[control], before.at(control)) << control.first;
      }
    }

    ApplyMixer(*rx, mixer, 65535);
    Snapshot expected = before;
    for (const auto& [control, values] : layout.changes) expected[control] = values;
    EXPECT_EQ(Card(), expected);

    SelectSource(*rx, mixer, 0, -1);  // gives everything back first
    EXPECT_EQ(Card(), before);
  }
}

// Ids name elements, not places: the restore finds its controls after others turned
// inactive, and writes nothing where its own control has gone.
TEST(AlsaMixer, RestoresByElementAndWritesNothingForAControlThatIsGone) {
  CorvaneFakeCardControls() = HdAudio();
  const Snapshot before = Card();
  AlsaMixerDevice mixer = FakeCardMixer();
  auto rx = CreateInputControl();
  SelectSource(*rx, mixer, 0, 2);  // Front Mic
  ApplyMixer(*rx, mixer, 0);
  Control("Master Playback Volume")->inactive = true;
  Control("Master Playback Switch")->inactive = true;
  Control("Auto-Mute Mode")->inactive = true;
  RestoreMixer(*rx, mixer);
  EXPECT_EQ(Card(), before);

  ApplyMixer(*rx, mixer, 0);
  Snapshot expected = Card();
  std::erase_if(CorvaneFakeCardControls(), [](const FakeCardControl& c) { return c.name == "Capture Volume"; });
  expected.erase({"Capture Volume", 0});
  expected[{"Front Mic Playback Switch", 0}] = {1, 1};
  expected[{"Input Source", 0}] = {1};
  RestoreMixer(*rx, mixer);
  EXPECT_EQ(Card(), expected);
}

TEST(AlsaMixer, ACardWithoutCaptureControlsHasNoRecordingSource) {
  CorvaneFakeCardControls() = {{"Master Playback Volume", T::kInteger, 0, 31, {}, {20, 20}},
                               {"Master Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}}};
  AlsaMixerDevice mixer = FakeCardMixer();
  Strings ports;
  EXPECT_FALSE(ListInputPorts(mixer, 0, ports));
  auto rx = CreateInputControl();
  SelectSource(*rx, mixer, 0, 0);
  EXPECT_EQ(rx->MixerDevice, 0);
  EXPECT_EQ(rx->MuxControl, -1);
  EXPECT_EQ(ReadVolume(*rx, mixer), -1);
  Strings none;
  EXPECT_FALSE(ListInputPorts(mixer, 1, none));  // no such device
}

}  // namespace
}  // namespace corvane
