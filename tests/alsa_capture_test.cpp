// The ALSA backends without a sound card: ALSA's "default" PCM is pointed at a file of
// samples, read through the null device, and the mixer at a card served by a control
// plugin from the test's own table of controls.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "audio/capture.h"
#include "audio/mixer.h"
#include "fakes/fake_card.h"
#include "platform/linux/alsa_audio_device.h"
#include "platform/linux/alsa_mixer_device.h"

using corvane::testing::FakeCardControl;

extern "C" std::vector<FakeCardControl>& CorvaneFakeCardControls() {
  static std::vector<FakeCardControl> controls;
  return controls;
}

namespace corvane {
namespace {

std::filesystem::path gSignalPath;  // the file the default PCM reads

void WriteSignal(const std::vector<std::int16_t>& samples) {
  std::ofstream out(gSignalPath, std::ios::binary | std::ios::trunc);
  for (std::int16_t s : samples) {
    const auto u = static_cast<std::uint16_t>(s);
    const char bytes[2] = {static_cast<char>(u & 0xff), static_cast<char>(u >> 8)};
    out.write(bytes, 2);
  }
}

// Hands every announced buffer to the receiver, as the window does, and keeps a copy.
struct Recorder : WaveInListener {
  TInputControl* receiver = nullptr;
  AudioDevice* device = nullptr;
  SignalPath path;
  std::vector<std::uint32_t> sizes;
  std::vector<std::int16_t> samples;
  void OnWaveInData(WaveHeader* header) override {
    sizes.push_back(header->bytesRecorded);
    const auto* data = reinterpret_cast<const unsigned char*>(header->data);
    for (std::uint32_t i = 0; i + 1 < header->bytesRecorded; i += 2) {
      samples.push_back(static_cast<std::int16_t>(data[i] | (data[i + 1] << 8)));
    }
    ProcessBuffer(*receiver, *device, path, header);
  }
};

// Runs the event loop until `done` or the time is up.
bool RunUntil(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  return done();
}

class AlsaCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder.receiver = rx.get();
    recorder.device = &device;
  }
  void TearDown() override { std::filesystem::remove(gSignalPath); }

  // Stops input and handles the buffers handed back, which arrive only afterwards.
  void StopAndDrain() {
    const std::size_t before = recorder.sizes.size();
    StopInput(*rx, device);
    EXPECT_EQ(recorder.sizes.size(), before) << "announced during the stop";
    EXPECT_TRUE(RunUntil([&] { return rx->RetiredBuffers == nullptr; }, 2000));
    EXPECT_EQ(recorder.sizes.size(), before + 2);
  }

  std::unique_ptr<TInputControl> rx = CreateInputControl();
  AlsaAudioDevice device{"default", std::chrono::milliseconds(100)};
  Recorder recorder;
};

TEST_F(AlsaCaptureTest, BuffersCarryTheFileInOrder) {
  std::vector<std::int16_t> signal(5500);
  for (std::size_t i = 0; i < signal.size(); ++i) {
    signal[i] = static_cast<std::int16_t>(static_cast<int>(i * 7919 % 65536) - 32768);
  }
  WriteSignal(signal);
  StartInput(*rx, device, &recorder);
  EXPECT_EQ(device.LastError(), "");
  ASSERT_TRUE(RunUntil([&] { return recorder.samples.size() >= signal.size(); }, 5000));
  for (std::uint32_t size : recorder.sizes) ASSERT_EQ(size, 2000u);
  EXPECT_TRUE(std::equal(signal.begin(), signal.end(), recorder.samples.begin()));
  StopAndDrain();
}

TEST_F(AlsaCaptureTest, CaptureStartsWhenTheDeviceAppears) {
  std::filesystem::remove(gSignalPath);  // the default PCM cannot open
  StartInput(*rx, device, &recorder);
  EXPECT_TRUE(rx->Running);
  EXPECT_NE(device.LastError(), "");
  RunUntil([] { return false; }, 250);
  EXPECT_TRUE(recorder.sizes.empty());

  const std::vector<std::int16_t> signal{1, -2, 3, -4, 32767, -32768};
  WriteSignal(signal);
  ASSERT_TRUE(RunUntil([&] { return !recorder.sizes.empty(); }, 3000));
  EXPECT_EQ(recorder.sizes[0], 2000u);
  EXPECT_TRUE(std::equal(signal.begin(), signal.end(), recorder.samples.begin()));
  EXPECT_EQ(device.LastError(), "");
  StopAndDrain();
}

TEST_F(AlsaCaptureTest, RestartsKeepNoBuffer) {
  WriteSignal(std::vector<std::int16_t>(100, 5));
  for (int cycle = 0; cycle < 20; ++cycle) {
    StartInput(*rx, device, &recorder);
    if (cycle % 2 == 0) RunUntil([&] { return recorder.sizes.size() > 3; }, 2000);
    StopInput(*rx, device);
  }
  EXPECT_TRUE(RunUntil([&] { return rx->RetiredBuffers == nullptr; }, 2000));
}

// The mixer of a card with Mic and Line inputs behind a selector of four sources.
std::vector<FakeCardControl> FakeCard(const char* selector) {
  using T = FakeCardControl;
  return {
      {"Master Playback Volume", T::kInteger, 0, 31, {}, {31, 31}},
      {"Master Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Mic Playback Volume", T::kInteger, 0, 31, {}, {10, 10}},
      {"Mic Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Mic Capture Volume", T::kInteger, 0, 63, {}, {40, 40}},
      {"Line Playback Volume", T::kInteger, 0, 31, {}, {5, 5}},
      {"Line Playback Switch", T::kBoolean, 0, 1, {}, {1, 1}},
      {"Line Capture Volume", T::kInteger, 0, 63, {}, {20, 20}},
      {selector, T::kEnumerated, 0, 0, {"Mic", "CD", "Line", "Mix"}, {0, 0}},
  };
}

std::vector<long> ValuesOf(const std::string& name) {
  for (const FakeCardControl& c : CorvaneFakeCardControls()) {
    if (c.name == name) return c.values;
  }
  return {};
}

using Strings = std::vector<std::string>;
using Values = std::vector<long>;

AlsaMixerDevice FakeCardMixer() {
  return AlsaMixerDevice(std::vector<AlsaMixerDevice::Card>{{"Fake Card", "corvane_fake_card"}});
}

TEST(AlsaMixer, SelectsTheSourceAndGivesTheCardBack) {
  // ALSA turns a "Capture Source" selector into one capture switch per source, so the
  // sources it names become recording lines; an "Input Source" stays a list.
  struct Case {
    const char* selector;
    Strings ports;
    std::int32_t lineMask;
  };
  const Case cases[] = {{"Capture Source", {"Line", "CD", "Mic", "Mix"}, 1},
                        {"Input Source", {"Line", "Mic"}, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selector);
    CorvaneFakeCardControls() = FakeCard(c.selector);
    AlsaMixerDevice mixer = FakeCardMixer();
    Strings devices;
    EXPECT_TRUE(ListInputDevices(mixer, devices));
    EXPECT_EQ(devices, Strings{"Fake Card"});
    Strings ports;
    ASSERT_TRUE(ListInputPorts(mixer, 0, ports));
    ASSERT_EQ(ports, c.ports);  // the playback-only Master is no recording source

    auto rx = CreateInputControl();
    SelectSource(*rx, mixer, 0, 0);  // Line
    EXPECT_EQ(rx->MuxItems, 4);
    EXPECT_EQ(rx->MuxMask, c.lineMask);
    EXPECT_GE(rx->VolumeControl, 0);
    EXPECT_GE(rx->MuteControl, 0);
    EXPECT_EQ(ReadVolume(*rx, mixer), 20805);  // step 20 of 0 … 63

    ApplyMixer(*rx, mixer, 65535);
    EXPECT_EQ(ValuesOf("Line Capture Volume"), (Values{63, 63}));
    EXPECT_EQ(ValuesOf("Line Playback Switch"), (Values{0, 0}));  // muted
    EXPECT_EQ(ValuesOf(c.selector), (Values{2, 2}));
    ApplyMixer(*rx, mixer, 32768);
    EXPECT_EQ(ValuesOf("Line Capture Volume"), (Values{32, 32}));

    SelectSource(*rx, mixer, 0, static_cast<std::int32_t>(ports.size()) - 1);  // Mic or Mix
    for (const FakeCardControl& before : FakeCard(c.selector)) {
      EXPECT_EQ(ValuesOf(before.name), before.values) << before.name;
    }
  }
}

TEST(AlsaMixer, ACardWithoutSourceSelectorSelectsNothing) {
  CorvaneFakeCardControls() = FakeCard("Input Source");
  CorvaneFakeCardControls().pop_back();
  AlsaMixerDevice mixer = FakeCardMixer();
  Strings ports;
  EXPECT_TRUE(ListInputPorts(mixer, 0, ports));
  EXPECT_EQ(ports.size(), 2u);
  auto rx = CreateInputControl();
  SelectSource(*rx, mixer, 0, 0);
  EXPECT_EQ(rx->MixerDevice, 0);
  EXPECT_EQ(rx->MuxControl, -1);
  EXPECT_EQ(rx->VolumeControl, -1);
  EXPECT_EQ(ReadVolume(*rx, mixer), -1);
  Strings none;
  EXPECT_FALSE(ListInputPorts(mixer, 1, none));  // no such device
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  // ALSA reads its configuration at its first use, so it is replaced before that: the
  // default PCM reads raw s16le samples from a file, padded with the null device's.
  char dirTemplate[] = "/tmp/corvane-alsa-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (!dir) return 1;
  const std::filesystem::path root(dir);
  corvane::gSignalPath = root / "signal.raw";
  const std::filesystem::path config = root / "asound.conf";
  std::ofstream(config) << "pcm.!default {\n"
                           "  type file\n"
                           "  slave.pcm { type null }\n"
                           "  file \"/dev/null\"\n"
                           "  infile \"" << corvane::gSignalPath.string() << "\"\n"
                           "  format \"raw\"\n"
                           "}\n"
                           "ctl.corvane_fake_card { type corvane_fake_card }\n"
                           "ctl_type.corvane_fake_card { lib \"" CORVANE_FAKE_CARD_PLUGIN "\" }\n";
  setenv("ALSA_CONFIG_PATH", config.c_str(), 1);

  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(root);
  return result;
}
