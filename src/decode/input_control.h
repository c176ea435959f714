#pragma once
// The receiver record: everything of the input side that is per device, and the
// channel table the decoders write.

#include <cstdint>
#include <memory>

#include "platform/wave_types.h"

namespace corvane {

struct CaptureBuffer;

inline constexpr int kChannelSlots = 10;     // channels 1 … 8, then auxiliary slots 8 and 9
inline constexpr int kSampleCopySize = 10000;
inline constexpr std::int32_t kCentre = 512;

struct ChannelTable {
  std::int32_t positions[kChannelSlots];
  std::int32_t secondValues[kChannelSlots];
  std::int32_t flags[kChannelSlots];
};

struct TInputControl {
  std::int32_t MixerDevice;
  std::int32_t VolumeControl;
  std::int32_t MuteControl;
  std::int32_t MuxControl;
  std::int32_t MuxItems;
  std::int32_t MuxMask;
  std::int32_t SavedVolume;
  std::int32_t SavedMux;
  std::int32_t SavedMute;
  WaveInHandle WaveIn;
  WaveFormat Format;
  WaveHeader* Headers[2];
  bool FrameDecoded;
  std::int32_t Mode;  // 0 = PCM1024, any other value = SPCM
  std::int16_t Samples[kSampleCopySize];
  ChannelTable Channels;
  bool Running;
  // Buffers of stopped captures still held by the device: each is freed once the
  // device has announced it back (capture code's bookkeeping).
  struct CaptureBuffer* RetiredBuffers;
};

// Allocates a receiver with its start values. Fields the start values do not name are
// zero, so the sample copy draws as a flat line before the first buffer.
std::unique_ptr<TInputControl> CreateInputControl();

}  // namespace corvane
