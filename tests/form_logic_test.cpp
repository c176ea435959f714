// The window's handlers against a fake view: the orders of FormCreate, ReadSetting and
// the handlers, without a display.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/form_corvane.h"
#include "app/registry.h"
#include "fakes/fake_audio_device.h"
#include "fakes/fake_driver_bus.h"
#include "fakes/fake_form_view.h"
#include "fakes/fake_key_store.h"
#include "fakes/fake_mixer_device.h"
#include "platform/joystick_bus_protocol.h"

namespace corvane {
namespace {

using Calls = std::vector<std::string>;

struct FormRig {
  FormRig() {
    mixer.devices = {testing::ExampleCard()};
    bus.interfaces = {{"/dev/joystick-bus"}};
    view.form = &form;
  }

  testing::FakeAudioDevice device;
  testing::FakeMixerDevice mixer;
  testing::FakeDriverBus bus;
  testing::FakeKeyStore store;
  testing::FakeFormView view;
  TFormCorvane form{view, FormPlatform{device, mixer, bus, store}};

  testing::FakeKeyStore::Values& Stored() {
    return store.keys[testing::FakeKeyStore::Path(kSettingsRoot, kSettingsKey.substr(1))];
  }
  void StoreInteger(const std::string& name, std::uint32_t value) {
    Stored()[name] = {kRegDword,
                      {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                       static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
  }
  // How often the microphone's volume was set to `value`.
  long MicVolumeWrites(std::uint32_t value) const {
    const std::string wanted = "set " + std::to_string(testing::kMicVolume) + " = " + std::to_string(value);
    return std::count(mixer.calls.begin(), mixer.calls.end(), wanted);
  }
};

Calls MapListsFilled() {
  Calls calls;
  for (int box = 1; box <= 8; ++box) {
    calls.push_back("clear MapBox" + std::to_string(box));
    for (int ch = 1; ch <= 8; ++ch) calls.push_back("add MapBox" + std::to_string(box) + " Ch." + std::to_string(ch));
  }
  return calls;
}

Calls Concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(FormLogic, FirstRunFillsListsAppliesDefaultsThenAddsTheTrayIcon) {
  FormRig rig;
  rig.form.FormCreate();
  const Calls readSetting = {
      "clear ComboBoxDevice", "add ComboBoxDevice USB Audio", "index ComboBoxDevice 0",
      "clear ComboBoxPort", "add ComboBoxPort Mic", "add ComboBoxPort Line In", "add ComboBoxPort CD",
      "index ComboBoxPort 0",
      "slider 0",  // from the designed 32768: VolumeChange applies the mixer
      "index ComboBoxMode 0",
      "index MapBox1 0", "index MapBox2 1", "index MapBox3 2", "index MapBox4 3",
      "index MapBox5 4", "index MapBox6 5", "index MapBox7 6", "index MapBox8 7",
      // The Advanced boxes stay cleared: nothing is set, no handler runs.
      "check CheckBoxAutoStart 0",
      "tray add"};
  EXPECT_EQ(rig.view.calls, Concat(MapListsFilled(), readSetting));
  EXPECT_EQ(rig.MicVolumeWrites(0), 2);  // VolumeChange, then ApplyMixer once more
  EXPECT_EQ(rig.form.Map(), kDefaultChannelMap);
  EXPECT_EQ(rig.form.Receiver().Mode, 0);
  EXPECT_FALSE(rig.form.Receiver().Running);
  // The joystick was opened (its zero-state probe) and exposed.
  ASSERT_EQ(rig.bus.requests.size(), 3u);
  EXPECT_EQ(rig.bus.requests[0].code, joybus::kSetState);
  EXPECT_EQ(rig.bus.requests[1].code, joybus::kPortDescription);
  EXPECT_EQ(rig.bus.requests[2].code, joybus::kExposeHardware);
}

// The slider's change handler runs only when the position it is given moves it.
TEST(FormLogic, StoredVolumeIsClampedAndAppliedOnceMoreAfterTheSlidersHandler) {
  struct Case {
    std::uint32_t stored;
    int slider;
    long writes;
  };
  for (const Case c : {Case{70000, 65535, 2}, Case{0xFFFFFFFF, 0, 2}, Case{1234, 1234, 2}}) {
    FormRig rig;
    rig.StoreInteger("InputVolume", c.stored);
    rig.form.FormCreate();
    EXPECT_EQ(rig.view.slider, c.slider) << c.stored;
    EXPECT_EQ(rig.mixer.ValuesOf(testing::kMicVolume), std::vector<std::uint32_t>{static_cast<std::uint32_t>(c.slider)});
    EXPECT_EQ(rig.MicVolumeWrites(static_cast<std::uint32_t>(c.slider)), c.writes) << c.stored;
  }
  // Read again with the slider already there: ApplyMixer alone.
  FormRig rig;
  rig.StoreInteger("InputVolume", 1234);
  rig.form.FormCreate();
  rig.mixer.calls.clear();
  rig.form.ReadSetting();
  EXPECT_EQ(rig.MicVolumeWrites(1234), 1);
}

TEST(FormLogic, StoredMapAndAutoStartEndReadSettingWithTheStartAction) {
  FormRig rig;
  rig.Stored()["Mapping"] = {kRegBinary, {7, 6, 5, 4, 3, 2, 1, 0, 1, 0}};
  rig.StoreInteger("InputAutoStart", 1);
  rig.StoreInteger("InputMode", 5);  // not in the list: no selection, mode -1
  rig.form.FormCreate();
  const Calls calls = rig.view.Take();
  EXPECT_EQ(Calls(calls.end() - 14, calls.end()),
            (Calls{"index ComboBoxMode 5", "index MapBox1 7", "index MapBox2 6", "index MapBox3 5",
                   "index MapBox4 4", "index MapBox5 3", "index MapBox6 2", "index MapBox7 1",
                   "index MapBox8 0", "check CheckBoxM1 1", "check CheckBoxAutoStart 1", "timer on",
                   "caption ButtonStart Stop", "tray add"}));
  EXPECT_EQ(rig.form.Receiver().Mode, -1);
  EXPECT_EQ(rig.form.Map()[8], 1);  // written by the check box's handler
  EXPECT_TRUE(rig.form.Receiver().Running);
  EXPECT_EQ(rig.device.listener, static_cast<WaveInListener*>(&rig.form));

  // Cancel while running reads again, which presses Start once more: input stops.
  rig.view.visible = true;
  rig.form.ButtonCancelClick();
  EXPECT_FALSE(rig.form.Receiver().Running);
  EXPECT_EQ(rig.view.startCaption, "Start");
  EXPECT_FALSE(rig.view.timer);
  EXPECT_FALSE(rig.view.visible);  // and the close hid the window
  EXPECT_FALSE(rig.view.ended);
}

TEST(FormLogic, ASettingsErrorStopsReadSettingAndFormCreateBeforeTheTrayIcon) {
  FormRig rig;
  rig.Stored()["InputDevice"] = {kRegSz, {'0', 0}};
  rig.form.FormCreate();
  const Calls calls = rig.view.Take();
  EXPECT_EQ(Calls(calls.end() - 3, calls.end()),
            (Calls{"clear ComboBoxDevice", "add ComboBoxDevice USB Audio",
                   "error 'InputDevice' のデータ型が不正です"}));
  EXPECT_FALSE(rig.view.trayIcon);
  EXPECT_EQ(rig.store.openKeys, 0);  // the key is closed on the way out
}

TEST(FormLogic, OkStoresAndClosesOnlyWhenTheWriteSucceeds) {
  FormRig rig;
  rig.form.FormCreate();
  rig.view.visible = true;
  rig.view.Take();

  rig.store.failCreate = true;
  rig.form.ButtonOKClick();
  EXPECT_EQ(rig.view.Take(), (Calls{"error 'InputDevice' の設定に失敗しました"}));
  EXPECT_TRUE(rig.view.visible);

  rig.store.failCreate = false;
  rig.form.ButtonApplyClick();
  EXPECT_TRUE(rig.view.Take().empty());
  EXPECT_EQ(rig.Stored().size(), 6u);

  rig.form.ButtonOKClick();
  EXPECT_EQ(rig.view.Take(), (Calls{"close", "hide"}));
  EXPECT_FALSE(rig.view.ended);
}

TEST(FormLogic, CloseHidesAVisibleWindowAndEndsAHiddenOne) {
  struct Case {
    bool visible;
    bool tray;
    Calls calls;
    bool ended;
  };
  const Case cases[] = {
      {true, true, {"close", "hide"}, false},
      {false, true, {"close", "tray delete", "timer off"}, true},
      // Without a tray nothing could bring a hidden window back.
      {true, false, {"close", "tray delete", "timer off"}, true},
  };
  for (const Case& c : cases) {
    FormRig rig;
    rig.form.FormCreate();
    rig.view.visible = c.visible;
    rig.view.trayAvailable = c.tray;
    rig.view.Take();
    rig.view.CloseWindow();
    EXPECT_EQ(rig.view.Take(), c.calls);
    EXPECT_EQ(rig.view.ended, c.ended);
  }
  FormRig rig;
  rig.form.FormCreate();
  rig.form.PropertyClick();
  rig.view.Take();
  rig.form.ExitClick();
  EXPECT_EQ(rig.view.Take(), (Calls{"hide", "close", "tray delete", "timer off"}));
  EXPECT_TRUE(rig.view.ended);
}

TEST(FormLogic, OnlyTheRightButtonOpensTheTrayMenu) {
  FormRig rig;
  rig.form.FormCreate();
  rig.view.Take();
  for (std::uint32_t message : {0x201u, 0x202u, 0x203u, 0x205u, 0x200u}) rig.form.OnTaskIconMessage(message);
  EXPECT_TRUE(rig.view.Take().empty());
  rig.form.OnTaskIconMessage(kTrayRightButtonDown);
  EXPECT_EQ(rig.view.Take(), Calls{"menu"});
}

TEST(FormLogic, StartTogglesInputWithTimerAndCaptionWhateverTheDeviceDid) {
  FormRig rig;
  rig.device.failOpen = true;
  rig.form.FormCreate();
  rig.view.Take();
  rig.form.ButtonStartClick();
  EXPECT_EQ(rig.view.Take(), (Calls{"timer on", "caption ButtonStart Stop"}));
  rig.form.ButtonStartClick();
  EXPECT_EQ(rig.view.Take(), (Calls{"timer off", "caption ButtonStart Start"}));
}

TEST(FormLogic, DeviceAndPortChoicesSelectTheSourceAndFollowItsVolume) {
  FormRig rig;
  rig.form.FormCreate();
  rig.view.Take();
  rig.view.lists[FormControl::ComboBoxPort].index = 1;  // the user picks "Line In"
  rig.form.ComboBoxPortChange();
  EXPECT_EQ(rig.view.Take(), Calls{"slider 20000"});  // the source's own volume
  EXPECT_EQ(rig.mixer.ValuesOf(testing::kLineVolume), std::vector<std::uint32_t>{20000});

  rig.form.ComboBoxDeviceChange();
  EXPECT_EQ(rig.view.Take(), (Calls{"clear ComboBoxPort", "add ComboBoxPort Mic", "add ComboBoxPort Line In",
                                    "add ComboBoxPort CD", "index ComboBoxPort 0", "slider 40000"}));
}

TEST(FormLogic, MapControlsWriteTheirByteAndModeFollowsTheList) {
  FormRig rig;
  rig.form.FormCreate();
  rig.view.lists[FormControl::MapBox3].index = 5;
  rig.form.MapBoxChange(FormControl::MapBox3);
  rig.view.checks[FormControl::CheckBoxM2] = true;
  rig.form.CheckBoxMapClick(FormControl::CheckBoxM2);
  rig.form.MapBoxChange(FormControl::ComboBoxMode);  // not a map control: nothing
  ChannelMap expected = kDefaultChannelMap;
  expected[2] = 5;
  expected[9] = 1;
  EXPECT_EQ(rig.form.Map(), expected);

  rig.view.lists[FormControl::ComboBoxMode].index = 1;
  rig.form.ComboBoxModeChange();
  EXPECT_EQ(rig.form.Receiver().Mode, 1);
}

TEST(FormLogic, TimerSetsTheBarsOnEveryTickAndRepaintsOnEveryFourth) {
  FormRig rig;
  rig.form.FormCreate();
  rig.view.Take();
  rig.form.OnTimer();
  EXPECT_EQ(rig.view.bars, (std::array<int, 8>{512, 512, 512, 512, 512, 512, 512, 512}));
  const std::int32_t positions[8] = {0, 1023, -5, 2000, 1, 2, 3, 4};
  for (int i = 0; i < 8; ++i) rig.form.Receiver().Channels.positions[i] = positions[i];
  for (int tick = 2; tick <= 12; ++tick) rig.form.OnTimer();
  EXPECT_EQ(rig.view.bars, (std::array<int, 8>{0, 1023, 0, 1024, 1, 2, 3, 4}));
  EXPECT_EQ(rig.view.Take(), (Calls{"repaint", "repaint", "repaint"}));  // ticks 4, 8, 12
}

struct RecordingCanvas : MonitorCanvas {
  Calls calls;
  void FillRect(int l, int t, int w, int h, std::uint32_t c) override {
    calls.push_back("fill " + std::to_string(l) + " " + std::to_string(t) + " " + std::to_string(w) + " " +
                    std::to_string(h) + " " + std::to_string(c));
  }
  void SetPenColour(std::uint32_t c) override { calls.push_back("pen " + std::to_string(c)); }
  void MoveTo(int x, int y) override { calls.push_back("move " + std::to_string(x) + " " + std::to_string(y)); }
  void LineTo(int x, int y) override { calls.push_back("line " + std::to_string(x) + " " + std::to_string(y)); }
};

TEST(FormLogic, MonitorDrawsOneSegmentPerColumnFullScaleToTheEdges) {
  FormRig rig;
  RecordingCanvas before;
  rig.form.OnPaintMonitor(before, 223, 47);  // no receiver yet: black only
  EXPECT_EQ(before.calls, (Calls{"fill 0 0 223 47 0", "pen 65280"}));

  rig.form.FormCreate();
  std::int16_t* samples = rig.form.Receiver().Samples;
  samples[0] = 32767;
  samples[1] = -32768;
  samples[2] = 0;
  RecordingCanvas canvas;
  rig.form.OnPaintMonitor(canvas, 3, 47);
  EXPECT_EQ(canvas.calls, (Calls{"fill 0 0 3 47 0", "pen 65280", "move 0 0", "line 1 46", "line 2 23"}));
}

}  // namespace
}  // namespace corvane
