#pragma once
// Records exchanged with a capture device: the wave format and the buffer header.

#include <cstdint>

namespace corvane {

// Identifies an open capture device; kInvalidWaveIn when none was opened.
using WaveInHandle = std::int32_t;
inline constexpr WaveInHandle kInvalidWaveIn = -1;

inline constexpr std::uint16_t kWaveFormatPcm = 1;

struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t extraSize = 0;
};

// One capture buffer. The device fills `data` and sets `bytesRecorded`; it owns the
// buffer from the add call until it announces the buffer as done.
struct WaveHeader {
  char* data = nullptr;
  std::uint32_t bufferLength = 0;
  std::uint32_t bytesRecorded = 0;
  std::uint32_t flags = 0;  // kWaveHeaderPrepared while prepared
};

inline constexpr std::uint32_t kWaveHeaderPrepared = 0x2;

}  // namespace corvane
