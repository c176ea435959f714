#pragma once
// One state of the joystick as a game interface shows it, and the 36-byte report the
// program sent, in the text form `corvane-decode --json` prints ("report": 72 hex digits).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::joycheck {

inline constexpr int kAxes = 6;
inline constexpr int kButtons = 10;

// Axis 1 … 6 of the report in the interface's own units, and buttons 1 … 10.
struct InterfaceState {
  std::array<std::int32_t, kAxes> axes{};
  std::array<bool, kButtons> buttons{};
  friend bool operator==(const InterfaceState&, const InterfaceState&) = default;
};

// What the program sent: axes 0 … 1023 (as they stand in the report) and buttons.
struct SentState {
  std::array<std::int32_t, kAxes> axes{};
  std::array<bool, kButtons> buttons{};
  friend bool operator==(const SentState&, const SentState&) = default;
};

// A new joystick until its first state: every axis at 512, every button released.
SentState CentreState();

// The report of a `corvane-decode --json` line; nothing when the line holds none.
std::optional<SentState> StateOfJsonLine(const std::string& line);

// The 72 hex digits of the report the state stands for (axes, two zero bytes, buttons).
std::string ReportHex(const SentState& state);

}  // namespace corvane::joycheck
