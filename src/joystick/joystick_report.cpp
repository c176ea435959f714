#include "joystick/joystick_report.h"

#include "platform/little_endian.h"

namespace corvane {

namespace {

// A stored map is not range-checked when it is loaded, so an index past the eight
// channels can reach here. Such an axis or button reads the centre, 512, and never
// anything outside the positions.
std::int32_t PositionAt(const ChannelTable& table, std::uint8_t index) {
  return index < 8 ? table.positions[index] : kCentre;
}

void PutInt32(JoystickReport& report, std::size_t offset, std::int32_t value) {
  PutLe32(&report[offset], static_cast<std::uint32_t>(value));
}

// Button n is report byte 25 + n.
std::uint8_t& Button(JoystickReport& report, int n) { return report[static_cast<std::size_t>(25 + n)]; }

}  // namespace

JoystickReport BuildReport(const ChannelTable& table, const ChannelMap& map) {
  JoystickReport report{};
  for (std::size_t axis = 0; axis < 6; ++axis) PutInt32(report, 4 * axis, PositionAt(table, map[axis]));
  for (int p = 1; p <= 2; ++p) {
    std::int32_t v = PositionAt(table, map[static_cast<std::size_t>(5 + p)]);
    // The primary button tells which half of the travel the channel is in; the folded
    // value is the distance from the nearer end, 0 … 512.
    if (v >= 512) {
      Button(report, p) = 1;
      v = 1024 - v;
    }
    if (map[static_cast<std::size_t>(7 + p)] != 0) {
      // Advanced: buttons p+2, p+4, p+6, p+8 carry bits 8, 7, 6, 5 of the folded value.
      for (int extra = p + 2; extra <= p + 8; extra += 2) {
        Button(report, extra) = static_cast<std::uint8_t>((v >> 8) & 1);
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << 1);
      }
    }
  }
  if (table.positions[8] != 0) Button(report, 10) ^= 1;
  return report;
}

}  // namespace corvane
