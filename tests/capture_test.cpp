#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/capture.h"
#include "fakes/fake_audio_device.h"

namespace corvane {
namespace {

using Calls = std::vector<std::string>;

struct NoListener : WaveInListener {
  void OnWaveInData(WaveHeader*) override {}
};

class CaptureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    StopInput(*rx, device);
    for (WaveHeader* h : device.handedBack) ProcessBuffer(*rx, device, path, h);
  }
  std::unique_ptr<TInputControl> rx = CreateInputControl();
  testing::FakeAudioDevice device;
  SignalPath path;
  NoListener listener;
};

TEST_F(CaptureTest, StartOpensFormatsAndQueuesBothBuffers) {
  StartInput(*rx, device, &listener);
  EXPECT_EQ(device.calls, (Calls{"open", "prepare", "prepare", "add", "add", "start"}));
  EXPECT_TRUE(rx->Running);
  const WaveFormat& f = rx->Format;
  EXPECT_EQ(f.formatTag, 1);
  EXPECT_EQ(f.channels, 1);
  EXPECT_EQ(f.samplesPerSec, 48000u);
  EXPECT_EQ(f.bitsPerSample, 16);
  EXPECT_EQ(f.blockAlign, 2);
  EXPECT_EQ(f.avgBytesPerSec, 96000u);
  EXPECT_EQ(f.extraSize, 0);
  ASSERT_EQ(device.queued.size(), 2u);
  EXPECT_EQ(device.queued[0], rx->Headers[0]);
  EXPECT_EQ(device.queued[1]->bufferLength, 2000u);
  EXPECT_EQ(device.listener, &listener);
}

TEST_F(CaptureTest, SecondStartAndStopWhileStoppedMakeNoCall) {
  StopInput(*rx, device);
  EXPECT_TRUE(device.calls.empty());
  StartInput(*rx, device, &listener);
  device.calls.clear();
  StartInput(*rx, device, &listener);
  EXPECT_TRUE(device.calls.empty());
  StopInput(*rx, device);
  EXPECT_EQ(device.calls, (Calls{"stop", "reset", "close"}));
  EXPECT_FALSE(rx->Running);
}

TEST_F(CaptureTest, BufferIsCopiedSlicedAndQueuedAgain) {
  StartInput(*rx, device, &listener);
  device.calls.clear();
  // Five bytes: two whole samples of 10000 and an odd byte.
  const std::int16_t samples[3] = {10000, 10000, 0x55};
  WaveHeader* hdr = device.Fill(samples, 5);
  EXPECT_FALSE(ProcessBuffer(*rx, device, path, hdr));
  EXPECT_EQ(device.calls, (Calls{"unprepare", "prepare", "add"}));
  EXPECT_EQ(path.slicer.run, 2);  // the odd byte is not sliced
  EXPECT_EQ(std::memcmp(rx->Samples, samples, 5), 0);  // but it is copied
  EXPECT_EQ(device.queued.back(), hdr);
}

TEST_F(CaptureTest, EmptyBufferSlicesNothingAndIsQueuedAgain) {
  StartInput(*rx, device, &listener);
  device.calls.clear();
  rx->FrameDecoded = true;  // left over from an earlier buffer
  WaveHeader* hdr = device.Fill(nullptr, 0);
  EXPECT_FALSE(ProcessBuffer(*rx, device, path, hdr));
  EXPECT_EQ(path.slicer.run, 0);
  EXPECT_EQ(device.calls, (Calls{"unprepare", "prepare", "add"}));
  EXPECT_EQ(device.queued.size(), 2u);
}

TEST_F(CaptureTest, BuffersAnnouncedAfterAStopAreStillProcessed) {
  StartInput(*rx, device, &listener);
  const std::int16_t samples[4] = {10000, 10000, 10000, 10000};
  WaveHeader* filled = device.Fill(samples, sizeof samples);
  filled->bytesRecorded = sizeof samples;
  StopInput(*rx, device);
  ASSERT_EQ(device.handedBack.size(), 1u);
  device.calls.clear();
  // The filled buffer's announcement was already queued, the reset one comes after.
  ProcessBuffer(*rx, device, path, filled);
  EXPECT_EQ(path.slicer.run, 4);
  ProcessBuffer(*rx, device, path, device.handedBack[0]);
  device.handedBack.clear();
  EXPECT_EQ(device.calls, (Calls{"unprepare", "unprepare"}));
  EXPECT_EQ(rx->RetiredBuffers, nullptr);  // both freed once announced
}

TEST_F(CaptureTest, ManyStartStopCyclesKeepNoBuffer) {
  for (int cycle = 0; cycle < 200; ++cycle) {
    device.failOpen = cycle % 3 == 2;  // a failed open queues nothing and still counts as running
    StartInput(*rx, device, &listener);
    EXPECT_TRUE(rx->Running);
    if (!device.queued.empty()) ProcessBuffer(*rx, device, path, device.Fill(nullptr, 0));
    StopInput(*rx, device);
    if (cycle % 2 == 0) {  // announcements may come late, after the next start
      for (WaveHeader* h : device.handedBack) ProcessBuffer(*rx, device, path, h);
      device.handedBack.clear();
    }
  }
  for (WaveHeader* h : device.handedBack) ProcessBuffer(*rx, device, path, h);
  device.handedBack.clear();
  EXPECT_EQ(rx->RetiredBuffers, nullptr);
}

TEST_F(CaptureTest, ReleasingPendingBuffersAtTheEnd) {
  StartInput(*rx, device, &listener);
  StopInput(*rx, device);
  EXPECT_NE(rx->RetiredBuffers, nullptr);
  ReleasePendingBuffers(*rx);
  EXPECT_EQ(rx->RetiredBuffers, nullptr);
  device.handedBack.clear();  // never announced: the program is ending
}

}  // namespace
}  // namespace corvane
