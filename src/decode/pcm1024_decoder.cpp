#include "decode/pcm1024_decoder.h"

#include "decode/pcm1024_tables.h"

namespace corvane {

namespace {

constexpr std::uint32_t kSyncCells = 30;
constexpr std::uint32_t kWordCells = 10;
constexpr std::uint32_t kSyncMask = (1u << kSyncCells) - 1;
constexpr std::uint32_t kWordMask = (1u << kWordCells) - 1;

// The register shifted right by `count` cells. Cells older than the 64 it holds read
// as 0, so a window reaching past them is still a defined value.
std::uint64_t OlderCells(std::uint64_t reg, std::uint32_t count) {
  return count >= 64 ? 0 : reg >> count;
}

}  // namespace

std::uint32_t Pcm1024Decoder::CellsOf(std::int32_t samples) {
  // (10 s + 36) / 72 in 64 bits: 10 s overflows 32 bits for long runs. A length below 1
  // is no run at all and gives no cell.
  if (samples < 1) return 0;
  return static_cast<std::uint32_t>((10 * static_cast<std::int64_t>(samples) + 36) / 72);
}

Pcm1024RunResult Pcm1024Decoder::DecodeRun(TInputControl& receiver, std::int32_t samples,
                                           std::uint8_t level) {
  const std::uint32_t cells = CellsOf(samples);
  if (cells >= 64) {
    shiftRegister = level != 0 ? ~std::uint64_t{0} : 0;
  } else if (cells > 0) {
    shiftRegister <<= cells;
    if (level != 0) shiftRegister |= (std::uint64_t{1} << cells) - 1;
  }
  pendingCells += cells;  // wraps modulo 2^32 only on a signal that is long gone
  return inSync ? TakeCodeWord(receiver) : SearchSync(cells);
}

Pcm1024RunResult Pcm1024Decoder::SearchSync(std::uint32_t cells) {
  // A sync window ends with the second cell of the run just completed.
  if (pendingCells < kSyncCells || cells < 2) return Pcm1024RunResult::kNone;
  const auto window = static_cast<std::uint32_t>(OlderCells(shiftRegister, cells - 2)) & kSyncMask;
  std::int32_t phase;
  switch (window) {
    case kSyncWordPhase6: phase = 6; break;
    case kSyncWordPhase4: phase = 4; break;
    case kSyncWordPhase2: phase = 2; break;
    case kSyncWordPhase0: phase = 0; break;
    default:
      return Pcm1024RunResult::kNone;
  }
  framePhase = phase;
  symbolIndex = 0;
  pendingCells = cells - 2;  // the rest of this run starts the first code word
  inSync = true;
  return phase >= 4 ? Pcm1024RunResult::kSyncAsReceived : Pcm1024RunResult::kSyncInverted;
}

Pcm1024RunResult Pcm1024Decoder::TakeCodeWord(TInputControl& receiver) {
  if (pendingCells < kWordCells) return Pcm1024RunResult::kNone;
  pendingCells -= kWordCells;
  auto word = static_cast<std::uint32_t>(OlderCells(shiftRegister, pendingCells)) & kWordMask;
  if ((framePhase & 4) == 0) word ^= kWordMask;  // phases 0–3 send every cell flipped
  const std::int32_t symbol = CodeWordTable[word];
  // An invalid word (-1) fills the accumulator with ones; the packet check rejects it.
  std::uint32_t& acc = accumulators[symbolIndex / 4];
  acc = (acc << 6) | static_cast<std::uint32_t>(symbol);
  if (++symbolIndex < 8) return Pcm1024RunResult::kNone;
  symbolIndex = 0;
  return DecodeFrame(receiver);
}

void Pcm1024Decoder::EndFrame() {
  // Every sync word is followed by two frames; the second leaves the phase even.
  ++framePhase;
  if ((framePhase & 1) == 0) inSync = false;
}

Pcm1024RunResult Pcm1024Decoder::DecodeFrame(TInputControl& receiver) {
  std::uint32_t data[2];
  for (int p = 0; p < 2; ++p) {
    data[p] = (accumulators[p] >> 8) & 0xFFFF;
    if (CheckByte(data[p]) != static_cast<std::int32_t>(accumulators[p] & 0xFF)) {
      EndFrame();
      return Pcm1024RunResult::kFrameRejected;
    }
  }
  // F: packet 0's bits 15, 14, then packet 1's bits 15, 14.
  const std::uint32_t f = ((data[0] >> 14) << 2) | (data[1] >> 14);
  const auto auxBit = static_cast<std::int32_t>(f & 1);
  const auto secondFlag = static_cast<std::int32_t>((f >> 1) & 1);
  const std::int32_t t = framePhase & 3;
  ChannelTable& table = receiver.Channels;
  if (t == 0) {
    table.positions[9] = auxBit;
  } else if ((framePhase & 1) != 0) {
    table.positions[8] = auxBit;
  }
  // t = 0, 1, 2, 3 carries channels b + 1 and b + 3 with b = 0, 4, 1, 5.
  const std::int32_t b = (t & 1) * 4 + t / 2;
  const auto first = static_cast<std::int32_t>(data[0] & 0x3FF);
  const auto second = static_cast<std::int32_t>(data[1] & 0x3FF);
  switch (f >> 2) {
    case 0:
      table.secondValues[b] = first;
      table.flags[b] = secondFlag;
      table.positions[b + 2] = second;
      break;
    case 1:
      table.positions[b] = first;
      table.flags[b + 2] = secondFlag;
      table.secondValues[b + 2] = second;
      break;
    case 2:
      table.positions[b] = first;
      table.positions[b + 2] = second;
      break;
    default:  // 1, 1: a frame that carries no channel
      break;
  }
  receiver.FrameDecoded = true;
  EndFrame();
  return Pcm1024RunResult::kFrameAccepted;
}

}  // namespace corvane
