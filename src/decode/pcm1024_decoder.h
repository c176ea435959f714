#pragma once
// Decoder of the "PCM1024 (Futaba)" format: run lengths to bit cells, sync words,
// 10-cell code words, checked 24-bit packets, channel table writes.

#include <cstdint>

#include "decode/input_control.h"

namespace corvane {

// What one run did.
enum class Pcm1024RunResult : std::uint8_t {
  kNone,
  kSyncAsReceived,  // a sync word of frame phase 4 or 6 started reading
  kSyncInverted,    // a sync word of frame phase 0 or 2 started reading
  kFrameAccepted,   // a frame passed its checks (also one that carries no channel)
  kFrameRejected,   // a frame failed a packet's check byte
};

class Pcm1024Decoder {
 public:
  // One completed run of `samples` samples (at least 1) at `level` (non-zero = high).
  Pcm1024RunResult DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level);

  // Bit cells of a run of `samples` samples: samples / 7.2 rounded half up.
  static std::uint32_t CellsOf(std::int32_t samples);

  // The state persists across calls and buffers and is never reset from outside.
  std::uint64_t shiftRegister = 0;  // the latest 64 cells, newest in bit 0
  // Searching: cells gathered so far. Reading: cells after the last code word taken.
  std::uint32_t pendingCells = 0;
  bool inSync = false;              // reading the code words after a sync word
  std::int32_t framePhase = 0;      // 0 … 8: word polarity, channels, auxiliary slot
  std::int32_t symbolIndex = 0;     // 0 … 7: place of the next symbol in the frame
  std::uint32_t accumulators[2] = {0, 0};  // symbols 0–3 and 4–7; low 24 bits are a packet

 private:
  Pcm1024RunResult SearchSync(std::uint32_t cells);
  Pcm1024RunResult TakeCodeWord(TInputControl& receiver);
  Pcm1024RunResult DecodeFrame(TInputControl& receiver);
  void EndFrame();
};

}  // namespace corvane
