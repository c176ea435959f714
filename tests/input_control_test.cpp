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

// The tray program offers the two PCM formats, each at the item index of its mode; PPM is
// the tools' mode 2, and any mode that names no format decodes SPCM.
TEST(InputControl, TheTrayOffersThePcmFormatsAndPpmIsModeTwo) {
  ASSERT_EQ(TrayFormats().size(), 2u);
  EXPECT_EQ(TrayFormats()[0].caption, "PCM1024 (Futaba)");
  EXPECT_EQ(TrayFormats()[1].caption, "SPCM (JR)");
  for (std::size_t i = 0; i < TrayFormats().size(); ++i)
    EXPECT_EQ(TrayFormats()[i].mode, static_cast<int>(i));
  EXPECT_EQ(FormatOfMode(2).option, "ppm");
  for (const std::int32_t mode : {1, 3, -1}) EXPECT_EQ(FormatOfMode(mode).option, "spcm") << mode;
}

}  // namespace
}  // namespace corvane
