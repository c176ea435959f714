#pragma once
// The channel map of the Mapping page and the 36-byte state record built from it.

#include <array>
#include <cstdint>

#include "decode/input_control.h"

namespace corvane {

// Bytes 0 … 5: the channel position index driving Axis 1 … 6; bytes 6, 7: the index
// driving Button 1 and Button 2; bytes 8, 9: the "Advanced" flags of Button 1 and 2.
using ChannelMap = std::array<std::uint8_t, 10>;
inline constexpr ChannelMap kDefaultChannelMap = {0, 1, 2, 3, 4, 5, 6, 7, 0, 0};

// Six little-endian signed 32-bit axes, two zero bytes, ten button bytes of 0 or 1.
inline constexpr std::size_t kJoystickReportSize = 36;
using JoystickReport = std::array<std::uint8_t, kJoystickReportSize>;

JoystickReport BuildReport(const ChannelTable& table, const ChannelMap& map);

}  // namespace corvane
