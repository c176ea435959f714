#include "joystick_state.h"

#include <cstdio>

namespace corvane::joycheck {

SentState CentreState() {
  SentState state;
  state.axes.fill(512);
  return state;
}

std::optional<SentState> StateOfJsonLine(const std::string& line) {
  const std::string key = "\"report\": \"";
  const std::size_t at = line.find(key);
  if (at == std::string::npos || line.size() < at + key.size() + 72) return std::nullopt;
  std::array<std::uint8_t, 36> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned value = 0;
    if (std::sscanf(line.c_str() + at + key.size() + 2 * i, "%2x", &value) != 1) return std::nullopt;
    bytes[i] = static_cast<std::uint8_t>(value);
  }
  SentState state;
  for (int axis = 0; axis < kAxes; ++axis) {
    const std::uint8_t* b = &bytes[4 * axis];
    state.axes[axis] =
        static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t{b[3]} << 24));
  }
  for (int button = 0; button < kButtons; ++button) state.buttons[button] = bytes[26 + button] != 0;
  return state;
}

std::string ReportHex(const SentState& state) {
  std::string hex;
  char byte[3];
  for (std::int32_t axis : state.axes) {
    for (int i = 0; i < 4; ++i) {
      std::snprintf(byte, sizeof byte, "%02x",
                    static_cast<unsigned>((static_cast<std::uint32_t>(axis) >> (8 * i)) & 0xFF));
      hex += byte;
    }
  }
  hex += "0000";
  for (bool pressed : state.buttons) hex += pressed ? "01" : "00";
  return hex;
}

}  // namespace corvane::joycheck
