// The ALSA backends without a sound card: ALSA's "default" PCM is pointed at a file of
// samples, read through the null device, and the mixer at a card served by a control
// plugin from the test's own table of controls (alsa_mixer_test.cpp).

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
#include "fakes/fake_card.h"
#include "platform/linux/alsa_audio_device.h"

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
  // A device that grants any period reads whole buffers: a period ends as a buffer fills.
  unsigned long period = 0, buffer = 0;
  EXPECT_TRUE(device.Granted(period, buffer));
  EXPECT_EQ(period, 1000u);
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
