#include <gtest/gtest.h>

#include <vector>

#include "app/wave_in_data.h"
#include "audio/capture.h"
#include "fakes/fake_audio_device.h"
#include "fakes/fake_driver_bus.h"

namespace corvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct NoListener : WaveInListener {
  void OnWaveInData(WaveHeader*) override {}
};

class WaveInDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.interfaces = {testing::FakeInterface{.path = "/bus"}};
    ASSERT_TRUE(joystick.Open());
    bus.requests.clear();
    StartInput(*rx, device, &listener);
  }
  void TearDown() override {
    StopInput(*rx, device);
    for (WaveHeader* h : device.handedBack) ProcessBuffer(*rx, device, path, h);
  }
  WaveHeader* FillSilence() {
    const std::vector<std::int16_t> silence(1000, 0);
    return device.Fill(silence.data(), 2000);
  }

  std::unique_ptr<TInputControl> rx = CreateInputControl();
  testing::FakeAudioDevice device;
  SignalPath path;
  NoListener listener;
  testing::FakeDriverBus bus;
  TKestrovan joystick{bus};
  ChannelMap map = kDefaultChannelMap;
};

TEST_F(WaveInDataTest, BufferWithoutFrameSendsNothingAndGoesBackToTheDevice) {
  WaveHeader* header = FillSilence();
  OnWaveInData(*rx, device, path, joystick, map, header);
  EXPECT_TRUE(bus.requests.empty());
  EXPECT_EQ(device.queued.back(), header);
}

// Stands in for a decoder that completes a frame: writes the positions and sets the flag.
void CompleteFrame(TInputControl& receiver, std::int32_t value) {
  for (int k = 0; k < 8; ++k) receiver.Channels.positions[k] = value + k;
  receiver.FrameDecoded = true;
}

TEST_F(WaveInDataTest, BufferCompletingTwoFramesSendsOneReportOfTheSecond) {
  WaveHeader* header = FillSilence();
  rx->Channels.positions[8] = 0;
  SendReportAfter(
      [&] {
        ProcessBuffer(*rx, device, path, header);
        CompleteFrame(*rx, 100);
        CompleteFrame(*rx, 600);
        return rx->FrameDecoded;
      },
      *rx, joystick, map);
  ASSERT_EQ(bus.requests.size(), 1u);
  EXPECT_EQ(bus.requests[0].code, 0x2A2004u);
  // Axes 600 … 605; buttons 1 and 2 pressed (606, 607 ≥ 512); the rest released.
  const Bytes expected = {0x58, 2, 0, 0, 0x59, 2, 0, 0, 0x5A, 2, 0, 0, 0x5B, 2, 0, 0,
                          0x5C, 2, 0, 0, 0x5D, 2, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(bus.requests[0].bytes, expected);
  EXPECT_EQ(device.queued.back(), header);
}

}  // namespace
}  // namespace corvane
