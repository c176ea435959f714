#pragma once
// The PCM1024 signal as a transmitter sends it: groups of one 30-cell sync word and two
// frames of eight 10-cell code words, cells of 7.2 samples.

#include <array>
#include <cstdint>
#include <vector>

#include "siggen/waveform.h"

namespace corvane::siggen {

inline constexpr std::int64_t kPcm1024CellTicks = 36;  // 7.2 samples
inline constexpr int kPcm1024GroupCells = 30 + 16 * 10;

struct Pcm1024Settings {
  std::array<std::int32_t, 8> positions{512, 512, 512, 512, 512, 512, 512, 512};
  std::array<std::int32_t, 8> secondValues{512, 512, 512, 512, 512, 512, 512, 512};
  std::array<std::uint8_t, 8> flags{};  // per-channel flag bits (0 or 1)
  bool sweep = false;                   // positions follow SweepPosition instead
  // Flag bits (bit 15, bit 14) of every frame's first packet: 0b10 carries two
  // positions; 0b00 a second value and a position; 0b01 a position and a second value;
  // 0b11 no channel.
  std::uint8_t kind = 0b10;
  std::uint8_t aux8 = 0;  // auxiliary bits, sent in the frames that carry them
  std::uint8_t aux9 = 0;
  // Frame phases of the sync words sent in turn: 4 and 6 as received (channels 1, 3,
  // 5, 7 and 2, 4, 6, 8), 0 and 2 the same groups with every cell flipped.
  std::vector<int> syncPhases{4, 6, 0, 2};
};

// The 190 cells (true = high) of one group whose sync word sets `syncPhase`, oldest first.
std::array<bool, kPcm1024GroupCells> Pcm1024GroupCells(const Pcm1024Settings& settings,
                                                       int syncPhase,
                                                       const std::array<std::int32_t, 8>& positions);

// Endless groups, one cell per segment, cycling through the settings' sync phases.
class Pcm1024Source : public SegmentSource {
 public:
  explicit Pcm1024Source(Pcm1024Settings settings);
  Segment Next() override;

 private:
  void NextGroup();

  Pcm1024Settings settings_;
  std::array<bool, kPcm1024GroupCells> cells_{};
  std::size_t cell_ = kPcm1024GroupCells;
  std::size_t group_ = 0;
};

}  // namespace corvane::siggen
