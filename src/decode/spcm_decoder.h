#pragma once
// Decoder of the "SPCM (JR)" format: a sync run, 8-sample cells, 30 symbols of
// 8 cells, eight 10-bit channels per frame.

#include <cstdint>

#include "decode/input_control.h"

namespace corvane {

// What one run did.
enum class SpcmRunResult : std::uint8_t {
  kNone,
  kSync,            // a sync run started a frame
  kFrameCompleted,  // the 30th symbol came in: the channel table was written
  kFrameLost,       // an invalid symbol ended the frame
};

class SpcmDecoder {
 public:
  static constexpr int kSymbolsPerFrame = 30;
  static constexpr int kChannelWords = 8;

  SpcmRunResult DecodeRun(TInputControl& receiver, std::int32_t samples, std::uint8_t level);

  // Decoder state, all zero at start and never reset from outside; the next sync run
  // resynchronises it.
  bool inSync = false;
  // The bit accumulator: every cell gathered since the sync run, kept at its place in
  // the frame (see DecodeRun). Byte k + 1 holds the 8 cells of symbol k, oldest cell in
  // the most significant bit; the lead-in cell is the lowest bit of byte 0.
  std::uint8_t cells[32] = {};
  // Gathered cells not yet taken into a symbol; -1 right after the sync run.
  std::int32_t bitCount = 0;
  std::int32_t symbolCount = 0;  // symbols taken in the current frame, 0 … 30
  std::int32_t symbols[kSymbolsPerFrame] = {};
  std::int32_t channelWords[kChannelWords] = {};
};

}  // namespace corvane
