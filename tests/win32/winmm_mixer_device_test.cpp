// The mixer operations over the winmm mixer backend, against a fake of the winmm
// functions (Wine's mixer has no recording destination), and against Wine's own.
#include "platform/win32/winmm_mixer_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/mixer.h"
#include "fake_winmm_mixer.h"

namespace corvane {
namespace {

using testing::FakeWinmmMixer;
using Strings = std::vector<std::string>;
using Values = std::vector<DWORD>;

class WinmmMixerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(fake.faults, Strings{});
    EXPECT_EQ(fake.openMixers, 0) << "every mixer opened is closed";
  }
  FakeWinmmMixer fake;
  WinmmMixerDevice mixer{FakeWinmmMixer::Functions()};
  std::unique_ptr<TInputControl> rx = CreateInputControl();
};

TEST_F(WinmmMixerTest, ListsDevicesAndTheRecordingSourcesByFullName) {
  Strings devices;
  EXPECT_TRUE(ListInputDevices(mixer, devices));
  EXPECT_EQ(devices, (Strings{"Fake Card", "Second Card"}));
  Strings ports;
  EXPECT_TRUE(ListInputPorts(mixer, 0, ports));
  EXPECT_EQ(ports, (Strings{"Line In", "Microphone", "CD Audio"}));
  EXPECT_EQ(fake.calls, (Strings{"open 0", "destination 7", "source 0.0", "source 0.1", "source 0.2", "close"}));
}

TEST_F(WinmmMixerTest, NamesInTheAnsiCodePageReachTheWindowAsUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << GetACP() << ", not 1252";
  fake.deviceNames = {"Mikrofon (\xC4)"};
  Strings devices;
  EXPECT_TRUE(ListInputDevices(mixer, devices));
  EXPECT_EQ(devices, Strings{"Mikrofon (\xC3\x84)"});  // U+00C4
}

TEST_F(WinmmMixerTest, ListingFailures) {
  fake.failingCapsDevice = 1;
  Strings devices;
  EXPECT_FALSE(ListInputDevices(mixer, devices)) << "a device whose capabilities cannot be read";
  EXPECT_EQ(devices, Strings{"Fake Card"});
  Strings ports;
  EXPECT_FALSE(ListInputPorts(mixer, 1, ports)) << "a mixer that does not open";
  EXPECT_FALSE(ListInputPorts(mixer, -1, ports)) << "no device chosen";
  fake.destinations.erase(fake.destinations.begin());
  EXPECT_FALSE(ListInputPorts(mixer, 0, ports)) << "no recording destination";
  EXPECT_EQ(ports, Strings{});
}

TEST_F(WinmmMixerTest, SelectingASourceSavesAppliesAndRestoresItsControls) {
  SelectSource(*rx, mixer, 0, 1);  // "Microphone": item 2 of the multiplexer
  EXPECT_EQ(rx->MixerDevice, 0);
  EXPECT_EQ(rx->MuxControl, 1);
  EXPECT_EQ(rx->MuxItems, 4);
  EXPECT_EQ(rx->MuxMask, 4);
  EXPECT_EQ(rx->VolumeControl, 21);
  EXPECT_EQ(rx->MuteControl, 10);
  EXPECT_EQ(rx->SavedVolume, 40000);
  EXPECT_EQ(rx->SavedMute, 0);
  EXPECT_EQ(rx->SavedMux, 9) << "items 1, 0, 0, 1";
  EXPECT_EQ(fake.calls, (Strings{"open 0", "destination 7", "control ffff0000 70010001", "source 0.1", "texts 1",
                                 "control 1001 50030001", "destination 4", "source 1.0", "control 2000 20010002",
                                 "close", "open 0", "get 21", "close", "open 0", "get 10", "close", "open 0",
                                 "get 1", "close"}));

  fake.calls.clear();
  ApplyMixer(*rx, mixer, 30000);
  EXPECT_EQ(fake.values[21], Values{30000});
  EXPECT_EQ(fake.values[10], Values{1});
  EXPECT_EQ(fake.values[1], (Values{0, 0, 1, 0}));
  EXPECT_EQ(ReadVolume(*rx, mixer), 30000);

  // Another source: the first gets its values back before the new one is looked up.
  SelectSource(*rx, mixer, 0, 0);
  EXPECT_EQ(fake.values[21], Values{40000});
  EXPECT_EQ(fake.values[10], Values{0});
  EXPECT_EQ(fake.values[1], (Values{1, 0, 0, 1}));
  EXPECT_EQ(rx->MuxMask, 8) << "Line In is item 3";
  EXPECT_EQ(rx->MuteControl, -1) << "no playback line of that name";
}

TEST_F(WinmmMixerTest, ASelectionThatStopsEarlyLeavesTheRestUnfound) {
  struct Case {
    const char* name;
    std::int32_t device;
    std::int32_t source;
    std::function<void(FakeWinmmMixer&)> change;
    std::int32_t mixerDevice, mux, volume, mute;
  };
  const Case cases[] = {
      {"mixer does not open", 0, 1, [](FakeWinmmMixer& f) { f.failOpen = true; }, -1, -1, -1, -1},
      {"no source at index -1", 0, -1, [](FakeWinmmMixer&) {}, 0, 1, -1, -1},
      {"no volume on the source", 0, 1,
       [](FakeWinmmMixer& f) { f.destinations[0].sources[1].controls.clear(); }, 0, 1, -1, -1},
      {"no playback destination", 0, 1, [](FakeWinmmMixer& f) { f.destinations.pop_back(); }, 0, 1, 21, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWinmmMixer local;
    WinmmMixerDevice localMixer{FakeWinmmMixer::Functions()};
    c.change(local);
    auto receiver = CreateInputControl();
    SelectSource(*receiver, localMixer, c.device, c.source);
    EXPECT_EQ(receiver->MixerDevice, c.mixerDevice);
    EXPECT_EQ(receiver->MuxControl, c.mux);
    EXPECT_EQ(receiver->VolumeControl, c.volume);
    EXPECT_EQ(receiver->MuteControl, c.mute);
    EXPECT_EQ(local.faults, Strings{});
    EXPECT_EQ(local.openMixers, 0);
  }
  FakeWinmmMixer::Current() = &fake;
}

// Wine's mixer has capture devices but no recording destination: the lists stay
// empty, and nothing fails loudly.
TEST(WinmmMixerOnWine, ThePortListIsEmptyWithoutAnError) {
  WinmmMixerDevice mixer;
  Strings devices;
  EXPECT_TRUE(ListInputDevices(mixer, devices));
  Strings ports;
  ListInputPorts(mixer, 0, ports);
  EXPECT_EQ(ports, Strings{});
  auto rx = CreateInputControl();
  SelectSource(*rx, mixer, 0, 0);
  EXPECT_EQ(rx->VolumeControl, -1);
  EXPECT_EQ(ReadVolume(*rx, mixer), -1);
  ApplyMixer(*rx, mixer, 1000);
}

}  // namespace
}  // namespace corvane
