#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "audio/capture.h"
#include "audio/destroy_input_control.h"
#include "audio/mixer.h"
#include "fakes/fake_audio_device.h"
#include "fakes/fake_mixer_device.h"

namespace corvane {
namespace {

using testing::FakeMixerDevice;
using Strings = std::vector<std::string>;
using Values = std::vector<std::uint32_t>;

using testing::kLineMute;
using testing::kLineVolume;
using testing::kMicMute;
using testing::kMicVolume;
using testing::kMux;
using testing::ExampleCard;
using testing::Single;

class MixerTest : public ::testing::Test {
 public:
  void SetUp() override { mixer.devices = {ExampleCard()}; }
  FakeMixerDevice::Destination& Recording() { return mixer.devices[0].destinations[0]; }
  FakeMixerDevice::Destination& Playback() { return mixer.devices[0].destinations[1]; }
  // Every control of the card (that the case left in place) holds its former value.
  void ExpectUntouched() {
    const std::pair<std::int32_t, Values> before[] = {{kMux, {1, 0, 0, 0}},  {kMicVolume, {40000}},
                                                      {kLineVolume, {20000}}, {kMicMute, {0}},
                                                      {kLineMute, {0}}};
    for (const auto& [id, values] : before) {
      const Values now = mixer.ValuesOf(id);
      if (!now.empty()) {
        EXPECT_EQ(now, values) << "control " << id;
      }
    }
  }
  std::unique_ptr<TInputControl> rx = CreateInputControl();
  FakeMixerDevice mixer;
  testing::FakeAudioDevice audio;
};

TEST(MixerLists, InputDevices) {
  struct Case {
    const char* name;
    std::vector<FakeMixerDevice::Device> devices;
    bool result;
    Strings list;
  };
  const Case cases[] = {
      {"no devices", {}, true, {"kept"}},
      {"all listed", {{"A", false, false, {}}, {"B", false, false, {}}}, true, {"kept", "A", "B"}},
      {"capabilities fail mid-list",
       {{"A", false, false, {}}, {"B", true, false, {}}, {"C", false, false, {}}},
       false,
       {"kept", "A"}},
  };
  for (const Case& c : cases) {
    FakeMixerDevice mixer;
    mixer.devices = c.devices;
    Strings list{"kept"};  // appended to, never cleared
    EXPECT_EQ(ListInputDevices(mixer, list), c.result) << c.name;
    EXPECT_EQ(list, c.list) << c.name;
  }
}

TEST_F(MixerTest, InputPorts) {
  struct Case {
    const char* name;
    std::function<void(FakeMixerDevice&)> change;
    bool result;
    Strings list;
  };
  const Case cases[] = {
      {"all sources", [](FakeMixerDevice&) {}, true, {"Mic", "Line In", "CD"}},
      {"mixer cannot be opened", [](FakeMixerDevice& m) { m.devices[0].failOpen = true; }, false, {}},
      {"no recording destination",
       [](FakeMixerDevice& m) { m.devices[0].destinations.erase(m.devices[0].destinations.begin()); },
       false,
       {}},
      {"a failing source ends the list",
       [](FakeMixerDevice& m) { m.devices[0].destinations[0].sources[1].fail = true; },
       true,
       {"Mic"}},
      {"empty", [](FakeMixerDevice& m) { m.devices[0].destinations[0].sources.clear(); }, true, {}},
  };
  for (const Case& c : cases) {
    mixer.devices = {ExampleCard()};
    c.change(mixer);
    Strings list;
    EXPECT_EQ(ListInputPorts(mixer, 0, list), c.result) << c.name;
    EXPECT_EQ(list, c.list) << c.name;
    EXPECT_EQ(mixer.openMixers, 0) << c.name;
  }
}

TEST_F(MixerTest, SelectApplyReselectAndExitGiveTheMixerBack) {
  SelectSource(*rx, mixer, 0, 1);  // Line In
  EXPECT_EQ(rx->MixerDevice, 0);
  EXPECT_EQ(rx->MuxControl, kMux);
  EXPECT_EQ(rx->MuxItems, 4);
  EXPECT_EQ(rx->MuxMask, 4);
  EXPECT_EQ(rx->VolumeControl, kLineVolume);
  EXPECT_EQ(rx->MuteControl, kLineMute);
  EXPECT_EQ(ReadVolume(*rx, mixer), 20000);

  mixer.calls.clear();
  EXPECT_TRUE(ApplyMixer(*rx, mixer, 30000));
  EXPECT_EQ(mixer.calls, (Strings{"open 0", "set 12 = 30000", "close", "open 0", "set 22 = 1",
                                  "close", "open 0", "set 10 = 0 0 1 0", "close"}));

  // The same port again: the mixer is given back before the values are read, so the
  // kept values stay those from before the first write.
  SelectSource(*rx, mixer, 0, 1);
  EXPECT_EQ(rx->SavedVolume, 20000);
  EXPECT_EQ(rx->SavedMute, 0);
  EXPECT_EQ(rx->SavedMux, 1);
  ApplyMixer(*rx, mixer, 5000);
  EXPECT_EQ(mixer.ValuesOf(kLineMute), (Values{1}));

  // Another port: Line In is given back before Mic is taken.
  SelectSource(*rx, mixer, 0, 0);
  EXPECT_EQ(mixer.ValuesOf(kLineVolume), (Values{20000}));
  EXPECT_EQ(mixer.ValuesOf(kLineMute), (Values{0}));
  EXPECT_EQ(mixer.ValuesOf(kMux), (Values{1, 0, 0, 0}));
  EXPECT_EQ(rx->MuxMask, 1);
  ApplyMixer(*rx, mixer, 65535);
  EXPECT_EQ(mixer.ValuesOf(kMicMute), (Values{1}));

  DestroyInputControl(rx, audio, mixer);
  EXPECT_EQ(rx, nullptr);
  ExpectUntouched();
  EXPECT_EQ(mixer.openMixers, 0);
}

TEST_F(MixerTest, ControlValuesAndMasks) {
  // No source selected yet: nothing is opened.
  EXPECT_EQ(GetControlValue(*rx, mixer, kMux, 4), -1);
  EXPECT_FALSE(SetControlValue(*rx, mixer, kMux, 1, 4));
  EXPECT_TRUE(mixer.calls.empty());

  SelectSource(*rx, mixer, 0, 1);
  Recording().line.controls[0].values = {1, 0, 0, 1};
  EXPECT_EQ(GetControlValue(*rx, mixer, kMux, 4), 9);
  EXPECT_EQ(GetControlValue(*rx, mixer, -1, 0), -1);
  EXPECT_EQ(GetControlValue(*rx, mixer, 99, 0), -1);  // the read fails
  EXPECT_TRUE(SetControlValue(*rx, mixer, kMux, 0b1010, 4));
  EXPECT_EQ(mixer.ValuesOf(kMux), (Values{0, 1, 0, 1}));
  EXPECT_FALSE(SetControlValue(*rx, mixer, kMux, 1, -1));
  EXPECT_EQ(mixer.openMixers, 0);
}

// Whatever a selection finds, the mixer holds its former values again after exit.
TEST_F(MixerTest, FailedLookupsLeaveNoChangeBehind) {
  struct Case {
    const char* name;
    std::function<void(MixerTest&)> change;
    std::int32_t source;
    std::int32_t device, mux, mask, volume, mute;  // the receiver's fields after selecting
  };
  auto noControls = [](FakeMixerDevice::Line& line) { line.controls.clear(); };
  const Case cases[] = {
      {"mixer cannot be opened", [](MixerTest& t) { t.mixer.devices[0].failOpen = true; }, 1,
       -1, -1, 0, -1, -1},
      {"no recording destination", [](MixerTest& t) { t.Recording().type = 99; }, 1,
       0, -1, 0, -1, -1},
      {"no multiplexer", [&](MixerTest& t) { noControls(t.Recording().line); }, 1,
       0, -1, 0, -1, -1},
      {"no such source", [](MixerTest&) {}, -1, 0, kMux, 0, -1, -1},
      {"item texts unreadable", [](MixerTest& t) { t.Recording().line.controls[0].failItems = true; },
       1, 0, kMux, 0, kLineVolume, kLineMute},
      {"no item for the source", [](MixerTest& t) { t.Recording().line.controls[0].items[2].lineId = 999; },
       1, 0, kMux, 0, kLineVolume, kLineMute},
      {"no volume control", [](MixerTest&) {}, 2, 0, kMux, 2, -1, -1},
      {"no playback destination", [](MixerTest& t) { t.Playback().type = 99; }, 1,
       0, kMux, 4, kLineVolume, -1},
      {"no playback namesake", [](MixerTest& t) { t.Playback().sources[1].name = "Line"; }, 1,
       0, kMux, 4, kLineVolume, -1},
      {"namesake without mute", [&](MixerTest& t) { noControls(t.Playback().sources[1]); }, 1,
       0, kMux, 4, kLineVolume, -1},
      {"failing playback line skipped", [](MixerTest& t) { t.Playback().sources[0].fail = true; }, 1,
       0, kMux, 4, kLineVolume, kLineMute},
      {"last namesake wins",
       [](MixerTest& t) {
         t.Playback().sources.push_back({204, "Line In", {Single(24, kControlMute, 0)}});
       },
       1, 0, kMux, 4, kLineVolume, 24},
      {"namesake without mute ends the walk",
       [](MixerTest& t) {
         t.Playback().sources.push_back({204, "Line In", {}});
         t.Playback().sources.push_back({205, "Line In", {Single(25, kControlMute, 0)}});
       },
       1, 0, kMux, 4, kLineVolume, kLineMute},
  };
  for (const Case& c : cases) {
    mixer.devices = {ExampleCard()};
    rx = CreateInputControl();
    SCOPED_TRACE(c.name);
    c.change(*this);
    SelectSource(*rx, mixer, 0, c.source);
    EXPECT_EQ(rx->MixerDevice, c.device) << c.name;
    EXPECT_EQ(rx->MuxControl, c.mux) << c.name;
    if (c.mux >= 0) {
      EXPECT_EQ(rx->MuxMask, c.mask) << c.name;
    }
    EXPECT_EQ(rx->VolumeControl, c.volume) << c.name;
    EXPECT_EQ(rx->MuteControl, c.mute) << c.name;
    ApplyMixer(*rx, mixer, 30000);
    DestroyInputControl(rx, audio, mixer);
    ExpectUntouched();
    EXPECT_EQ(mixer.openMixers, 0) << c.name;
  }
}

TEST_F(MixerTest, AStoppedSelectionGivesBackItsOwnValues) {
  SelectSource(*rx, mixer, 0, 0);  // Mic
  ApplyMixer(*rx, mixer, 30000);
  // Line In's selection finds its volume but stops at the playback side: Mic's kept
  // values must not be written to Line In's controls.
  Playback().type = 99;
  SelectSource(*rx, mixer, 0, 1);
  EXPECT_EQ(rx->VolumeControl, kLineVolume);
  ApplyMixer(*rx, mixer, 30000);
  DestroyInputControl(rx, audio, mixer);
  ExpectUntouched();
}

TEST_F(MixerTest, ValuesThatCouldNotBeReadAreNotWrittenBack) {
  SelectSource(*rx, mixer, 0, 1);
  rx->SavedVolume = -1;  // as a failed read leaves it
  ApplyMixer(*rx, mixer, 30000);
  mixer.calls.clear();
  RestoreMixer(*rx, mixer);
  EXPECT_EQ(mixer.calls, (Strings{"open 0", "set 22 = 0", "close", "open 0", "set 10 = 1 0 0 0",
                                  "close"}));
}

TEST_F(MixerTest, DestroyingStopsInputThenRestores) {
  DestroyInputControl(rx, audio, mixer);  // never ran, never selected: no call at all
  EXPECT_TRUE(audio.calls.empty());
  EXPECT_TRUE(mixer.calls.empty());
  DestroyInputControl(rx, audio, mixer);  // a missing receiver is skipped

  rx = CreateInputControl();
  struct NoListener : WaveInListener {
    void OnWaveInData(WaveHeader*) override {}
  } listener;
  StartInput(*rx, audio, &listener);
  SelectSource(*rx, mixer, 0, 1);
  ApplyMixer(*rx, mixer, 30000);
  audio.calls.clear();
  DestroyInputControl(rx, audio, mixer);
  EXPECT_EQ(audio.calls, (Strings{"stop", "reset", "close"}));
  ExpectUntouched();
  audio.handedBack.clear();  // their buffers were freed with the receiver
}

}  // namespace
}  // namespace corvane
