#pragma once
// Constant tables of the PCM1024 format: code words to symbols, the packet check,
// and the four sync words.

#include <array>
#include <cstdint>

namespace corvane {

// Indexed by a 10-cell code word (oldest cell in bit 9): the 6-bit symbol it carries,
// or -1 for the 960 words that are not code words.
extern const std::array<std::int32_t, 1024> CodeWordTable;

// The 64 code words by symbol, as they are sent (oldest cell in bit 9).
extern const std::array<std::uint32_t, 64> kCodeWordOfSymbol;

// Entry i: the check byte of the 16-bit data word that has only bit i set.
extern const std::array<std::int32_t, 16> CheckTable;

// The 8-bit cyclic check of a 16-bit data word: the XOR of the entries of its set bits.
std::int32_t CheckByte(std::uint32_t dataWord);

// The 30-cell sync windows (oldest cell in bit 29) and the frame phase each one sets.
// The phase-6 and phase-4 words are sent as they stand and differ in the runs around
// the 18-cell run (channel group); the other two are their complements (inverted words).
inline constexpr std::uint32_t kSyncWordPhase6 = 0x33FFFF03;
inline constexpr std::uint32_t kSyncWordPhase4 = 0x30FFFFC3;
inline constexpr std::uint32_t kSyncWordPhase2 = 0x0C0000FC;
inline constexpr std::uint32_t kSyncWordPhase0 = 0x0F00003C;

}  // namespace corvane
