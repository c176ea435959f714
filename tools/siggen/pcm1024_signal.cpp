#include "siggen/pcm1024_signal.h"

#include <utility>

#include "decode/pcm1024_tables.h"
#include "siggen/sweep.h"

namespace corvane::siggen {

namespace {

std::uint32_t SyncWord(int phase) {
  switch (phase) {
    case 6: return kSyncWordPhase6;
    case 4: return kSyncWordPhase4;
    case 2: return kSyncWordPhase2;
    default: return kSyncWordPhase0;
  }
}

void PutBits(std::array<bool, kPcm1024GroupCells>& cells, std::size_t& at, std::uint32_t value,
             int count) {
  for (int bit = count - 1; bit >= 0; --bit) cells[at++] = ((value >> bit) & 1) != 0;
}

// The two 16-bit data words of the frame at `phase`, which carries channels b + 1 and
// b + 3 and, depending on the phase, one auxiliary bit.
std::pair<std::uint32_t, std::uint32_t> FrameData(const Pcm1024Settings& s, int phase,
                                                  const std::array<std::int32_t, 8>& positions) {
  const int t = phase & 3;
  const int b = (t & 1) * 4 + t / 2;
  const std::uint32_t aux = t == 0 ? s.aux9 : (phase & 1) != 0 ? s.aux8 : 0;
  std::uint32_t first = static_cast<std::uint32_t>(positions[b]);
  std::uint32_t second = static_cast<std::uint32_t>(positions[b + 2]);
  std::uint32_t flag = 0;
  if (s.kind == 0b00) {
    first = static_cast<std::uint32_t>(s.secondValues[b]);
    flag = s.flags[b];
  } else if (s.kind == 0b01) {
    second = static_cast<std::uint32_t>(s.secondValues[b + 2]);
    flag = s.flags[b + 2];
  }
  const std::uint32_t data0 = (static_cast<std::uint32_t>(s.kind & 3) << 14) | (first & 0x3FF);
  const std::uint32_t data1 = ((flag & 1) << 15) | ((aux & 1) << 14) | (second & 0x3FF);
  return {data0, data1};
}

void PutPacket(std::array<bool, kPcm1024GroupCells>& cells, std::size_t& at, std::uint32_t data,
               bool inverted) {
  const std::uint32_t packet = (data << 8) | static_cast<std::uint32_t>(CheckByte(data));
  for (int shift = 18; shift >= 0; shift -= 6) {
    std::uint32_t word = kCodeWordOfSymbol[(packet >> shift) & 63];
    if (inverted) word ^= 0x3FF;
    PutBits(cells, at, word, 10);
  }
}

}  // namespace

std::array<bool, kPcm1024GroupCells> Pcm1024GroupCells(const Pcm1024Settings& settings,
                                                       int syncPhase,
                                                       const std::array<std::int32_t, 8>& positions) {
  std::array<bool, kPcm1024GroupCells> cells{};
  std::size_t at = 0;
  PutBits(cells, at, SyncWord(syncPhase), 30);
  for (int phase = syncPhase; phase < syncPhase + 2; ++phase) {
    const auto [data0, data1] = FrameData(settings, phase, positions);
    const bool inverted = (phase & 4) == 0;
    PutPacket(cells, at, data0, inverted);
    PutPacket(cells, at, data1, inverted);
  }
  return cells;
}

Pcm1024Source::Pcm1024Source(Pcm1024Settings settings) : settings_(std::move(settings)) {
  if (settings_.syncPhases.empty()) settings_.syncPhases = {4, 6, 0, 2};
}

void Pcm1024Source::NextGroup() {
  std::array<std::int32_t, 8> positions = settings_.positions;
  if (settings_.sweep) {
    const double seconds = static_cast<double>(group_ * kPcm1024GroupCells * kPcm1024CellTicks) /
                           (kTicksPerSample * 48000.0);
    for (int i = 0; i < 8; ++i) positions[static_cast<std::size_t>(i)] = SweepPosition(i, seconds);
  }
  const int phase = settings_.syncPhases[group_ % settings_.syncPhases.size()];
  cells_ = Pcm1024GroupCells(settings_, phase, positions);
  cell_ = 0;
  ++group_;
}

Segment Pcm1024Source::Next() {
  if (cell_ == cells_.size()) NextGroup();
  return Segment{kPcm1024CellTicks, cells_[cell_++]};
}

}  // namespace corvane::siggen
