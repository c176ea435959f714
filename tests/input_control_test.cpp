#include <gtest/gtest.h>

#include <vector>

#include "decode/input_control.h"
#include "decode/signal_path.h"

namespace corvane {
namespace {

TEST(InputControl, CreationValues) {
  auto rx = CreateInputControl();
  EXPECT_FALSE(rx->Running);
  EXPECT_EQ(rx->Mode, 0);
  EXPECT_EQ(rx->MixerDevice, -1);
  EXPECT_EQ(rx->VolumeControl, -1);
  for (int i = 0; i < kChannelSlots; ++i) {
    EXPECT_EQ(rx->Channels.positions[i], 512) << i;
    EXPECT_EQ(rx->Channels.secondValues[i], 512) << i;
    EXPECT_EQ(rx->Channels.flags[i], 0) << i;
  }
  // A cleared sample copy: the monitor draws a flat line before the first buffer.
  for (std::int16_t sample : rx->Samples) ASSERT_EQ(sample, 0);
}

struct CountingDecoder {
  int runs = 0;
  void DecodeRun(TInputControl&, std::int32_t, std::uint8_t) { ++runs; }
};

TEST(InputControl, ModeZeroSelectsPcm1024AndAnyOtherSpcm) {
  struct Case {
    std::int32_t mode;
    bool pcm1024;
  };
  for (Case c : {Case{0, true}, Case{1, false}, Case{2, false}, Case{-1, false}}) {
    auto rx = CreateInputControl();
    CountingDecoder pcm, spcm;
    ModeDispatch<CountingDecoder, CountingDecoder> dispatch{pcm, spcm};
    rx->Mode = c.mode;
    dispatch.DecodeRun(*rx, 8, 1);
    EXPECT_EQ(pcm.runs, c.pcm1024 ? 1 : 0) << "mode " << c.mode;
    EXPECT_EQ(spcm.runs, c.pcm1024 ? 0 : 1) << "mode " << c.mode;
  }
}

}  // namespace
}  // namespace corvane
