// The mixer operations against a real card's mixer (snd-dummy): listing, selecting a source,
// applying a level, and every changed control given back, checked through the kernel's
// control interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "audio/destroy_input_control.h"
#include "audio/mixer.h"
#include "card_controls.h"
#include "decode/input_control.h"
#include "platform/linux/alsa_mixer_device.h"

namespace corvane::systest {
namespace {

using Controls = std::map<std::string, std::vector<long>>;

// The receiver is never started here: its end only has to find capture stopped.
class NoAudio : public AudioDevice {
 public:
  bool Open(WaveInHandle*, const WaveFormat&, WaveInListener*) override { return false; }
  bool Prepare(WaveInHandle, WaveHeader*) override { return false; }
  bool Unprepare(WaveInHandle, WaveHeader*) override { return false; }
  bool Add(WaveInHandle, WaveHeader*) override { return false; }
  bool Start(WaveInHandle) override { return false; }
  bool Stop(WaveInHandle) override { return false; }
  bool Reset(WaveInHandle) override { return false; }
  bool Close(WaveInHandle) override { return false; }
};

const std::vector<std::string> kDummySources = {"Master", "Synth", "Line", "CD", "Mic"};
constexpr std::int32_t kLine = 2;
constexpr std::int32_t kMic = 4;

class DummyCardMixer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> devices;
    ASSERT_TRUE(ListInputDevices(mixer_, devices));
    const auto found = std::find(devices.begin(), devices.end(), "Dummy");
    ASSERT_NE(found, devices.end()) << "no Dummy among the capture devices";
    device_ = static_cast<std::int32_t>(found - devices.begin());
  }

  AlsaMixerDevice mixer_;
  NoAudio audio_;
  CardControls card_{"hw:Dummy"};
  std::int32_t device_ = -1;
  std::unique_ptr<TInputControl> receiver_ = CreateInputControl();
};

// The card as the driver makes it: a volume and a capture switch per line, any number of
// them on at once. Selecting a line switches its capture on and every other off, and its
// volume follows the level; there is no playback switch to mute.
TEST_F(DummyCardMixer, SwitchesTheChosenLineOnAndTheOthersOff) {
  std::vector<std::string> ports;
  ASSERT_TRUE(ListInputPorts(mixer_, device_, ports));
  EXPECT_EQ(ports, kDummySources);

  card_.Write("Line Volume", {-10, 20});
  card_.Write("CD Capture Switch", {1, 1});
  card_.Write("Mic Capture Switch", {1, 0});
  card_.Write("Line Capture Switch", {0, 0});
  const Controls before = card_.Snapshot();
  SelectSource(*receiver_, mixer_, device_, kLine);
  EXPECT_EQ(receiver_->MuxItems, 5);
  EXPECT_EQ(receiver_->MuxMask, 1 << kLine);
  EXPECT_EQ(receiver_->MuteControl, -1);
  EXPECT_EQ(card_.Snapshot(), before) << "selecting wrote to the card";
  // The louder channel: 20 of -50 … 100.
  EXPECT_EQ(ReadVolume(*receiver_, mixer_), 30583);

  EXPECT_TRUE(ApplyMixer(*receiver_, mixer_, 65535));
  Controls expected = before;
  expected["Line Volume"] = {100, 100};
  for (const std::string& line : kDummySources) {
    expected[line + " Capture Switch"] = {line == "Line", line == "Line"};
  }
  EXPECT_EQ(card_.Snapshot(), expected);
  DestroyInputControl(receiver_, audio_, mixer_);
  EXPECT_EQ(card_.Snapshot(), before);
}

// The same card given a recording selector and playback switches, as most cards have them:
// selecting, applying and ending change exactly the chosen line's controls and the selector,
// and give every one of them back.
TEST_F(DummyCardMixer, AppliesTheLevelMuteAndSelectorAndGivesEveryValueBack) {
  card_.AddEnumerated("Input Source", kDummySources, 3);  // CD is being recorded
  card_.AddBoolean("Line Playback Switch", 2, true);
  card_.AddBoolean("Mic Playback Switch", 2, true);
  card_.Write("Line Volume", {-10, -10});
  card_.Write("Mic Volume", {60, 60});
  const Controls before = card_.Snapshot();

  std::vector<std::string> ports;
  ASSERT_TRUE(ListInputPorts(mixer_, device_, ports));
  EXPECT_EQ(ports, kDummySources);

  SelectSource(*receiver_, mixer_, device_, kLine);
  EXPECT_EQ(receiver_->MuxItems, 5);
  EXPECT_EQ(receiver_->MuxMask, 1 << kLine);
  EXPECT_NE(receiver_->VolumeControl, -1);
  EXPECT_NE(receiver_->MuteControl, -1);
  EXPECT_EQ(card_.Snapshot(), before) << "selecting wrote to the card";
  // -10 of -50 … 100 on the 0 … 65535 scale, rounded.
  EXPECT_EQ(ReadVolume(*receiver_, mixer_), 17476);

  // Half the scale is step 25 of -50 … 100, on both channels.
  EXPECT_TRUE(ApplyMixer(*receiver_, mixer_, 32768));
  Controls expected = before;
  expected["Line Volume"] = {25, 25};
  expected["Line Playback Switch"] = {0, 0};
  expected["Input Source"] = {kLine};
  EXPECT_EQ(card_.Snapshot(), expected);
  EXPECT_EQ(ReadVolume(*receiver_, mixer_), 32768);

  // Another line: the first gets everything back before the second is taken.
  SelectSource(*receiver_, mixer_, device_, kMic);
  EXPECT_EQ(card_.Snapshot(), before);
  EXPECT_EQ(receiver_->MuxMask, 1 << kMic);
  EXPECT_TRUE(ApplyMixer(*receiver_, mixer_, 0));
  expected = before;
  expected["Mic Volume"] = {-50, -50};
  expected["Mic Playback Switch"] = {0, 0};
  expected["Input Source"] = {kMic};
  EXPECT_EQ(card_.Snapshot(), expected);

  DestroyInputControl(receiver_, audio_, mixer_);
  EXPECT_EQ(card_.Snapshot(), before);

  for (const char* name : {"Input Source", "Line Playback Switch", "Mic Playback Switch"}) card_.Remove(name);
}

}  // namespace
}  // namespace corvane::systest
