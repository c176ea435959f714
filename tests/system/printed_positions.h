// What corvane-decode --json prints for a decoded buffer, read back.
#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>

namespace corvane::systest {

using Positions = std::array<int, 8>;

// Ch.1 … Ch.8 of a printed line, or nothing when the line holds no positions.
std::optional<Positions> PrintedPositions(const std::string& line);

// Whether every channel of a printed line holds one of the values it may hold (the
// channels of a signal arrive over several frames, the others keep what they held).
bool EachChannelIn(const Positions& printed, const std::array<std::set<int>, 8>& possible);

// The joystick's six axes (0 … 1023) and ten buttons, as a state record carries them.
struct JoystickState {
  std::array<int, 6> axes{};
  std::array<bool, 10> buttons{};
  bool operator==(const JoystickState&) const = default;
};

// The state record a printed line's "report" holds in hexadecimal, or nothing when the line
// holds none.
std::optional<JoystickState> PrintedReport(const std::string& line);

// The number of a printed line's buffer, or nothing.
std::optional<int> PrintedBuffer(const std::string& line);

}  // namespace corvane::systest
