#include "printed_positions.h"

#include <cstdint>
#include <cstdio>

namespace corvane::systest {

std::optional<Positions> PrintedPositions(const std::string& line) {
  const std::string key = "\"positions\": [";
  const auto at = line.find(key);
  if (at == std::string::npos) return std::nullopt;
  Positions p{};
  const int read = std::sscanf(line.c_str() + at + key.size(), "%d, %d, %d, %d, %d, %d, %d, %d,", &p[0], &p[1],
                               &p[2], &p[3], &p[4], &p[5], &p[6], &p[7]);
  if (read != 8) return std::nullopt;
  return p;
}

bool EachChannelIn(const Positions& printed, const std::array<std::set<int>, 8>& possible) {
  for (std::size_t channel = 0; channel < 8; ++channel) {
    if (!possible[channel].contains(printed[channel])) return false;
  }
  return true;
}

std::optional<JoystickState> PrintedReport(const std::string& line) {
  const std::string key = "\"report\": \"";
  const auto at = line.find(key);
  constexpr std::size_t kBytes = 36;  // six 32-bit little-endian axes, two zero bytes, ten buttons
  if (at == std::string::npos || line.size() < at + key.size() + 2 * kBytes + 1) return std::nullopt;
  std::uint8_t record[kBytes];
  for (std::size_t i = 0; i < kBytes; ++i) {
    unsigned byte = 0;
    if (std::sscanf(line.c_str() + at + key.size() + 2 * i, "%2x", &byte) != 1) return std::nullopt;
    record[i] = static_cast<std::uint8_t>(byte);
  }
  if (line[at + key.size() + 2 * kBytes] != '"') return std::nullopt;
  JoystickState state;
  for (std::size_t axis = 0; axis < 6; ++axis) {
    const std::uint8_t* le = record + 4 * axis;
    state.axes[axis] =
        static_cast<std::int32_t>(le[0] | le[1] << 8 | le[2] << 16 | static_cast<std::uint32_t>(le[3]) << 24);
  }
  for (std::size_t button = 0; button < 10; ++button) state.buttons[button] = record[26 + button] != 0;
  return state;
}

std::optional<int> PrintedBuffer(const std::string& line) {
  int buffer = 0;
  if (std::sscanf(line.c_str(), "{\"buffer\": %d,", &buffer) != 1) return std::nullopt;
  return buffer;
}

}  // namespace corvane::systest
