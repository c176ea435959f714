#pragma once
// What the joystick client and a joystick bus driver agree on: the device interface
// class, the request codes and the layout of the records. All records are little-endian;
// bytes not listed here are zero when sent.

#include <cstddef>
#include <cstdint>

#include "platform/driver_bus.h"
#include "platform/little_endian.h"

namespace corvane::joybus {

// The game-port bus enumerator interface class {CAE56030-684A-11D0-D6F6-00A0C90F57DA}.
inline constexpr InterfaceClass kGamePortBusClass = {
    0xCAE56030, 0x684A, 0x11D0, {0xD6, 0xF6, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

// Device type 0x2A (bus extender), buffered transfer, any access.
inline constexpr std::uint32_t kExposeHardware = 0x2A0000;
inline constexpr std::uint32_t kRemoveHardware = 0x2A0004;
inline constexpr std::uint32_t kPortDescription = 0x2A0008;
inline constexpr std::uint32_t kSetState = 0x2A2004;

// Port description: size (40) at 0; the driver returns the port handle at 4.
inline constexpr std::size_t kPortDescriptionSize = 40;
inline constexpr std::size_t kPortHandleOffset = 4;

// Expose: size of the fixed part (64) at 0, port handle at 4, the hardware handle the
// driver returns at 8, 16-bit 1 at 12, axis count at 14, button count at 18, then the
// UTF-16LE hardware identifiers, each ended by a 0 character, the list by an empty one.
inline constexpr std::size_t kExposeFixedSize = 64;
inline constexpr std::size_t kExposeSize = 122;
inline constexpr std::size_t kExposePortOffset = 4;
inline constexpr std::size_t kExposeHardwareOffset = 8;
inline constexpr std::size_t kExposeUnitOffset = 12;
inline constexpr std::size_t kExposeAxesOffset = 14;
inline constexpr std::size_t kExposeButtonsOffset = 18;
inline constexpr std::size_t kExposeIdsOffset = 64;

// Remove: size (8) at 0, hardware handle at 4.
inline constexpr std::size_t kRemoveSize = 8;
inline constexpr std::size_t kRemoveHardwareOffset = 4;

// Set state: six signed 32-bit axes, two zero bytes, ten button bytes.
inline constexpr std::size_t kStateSize = 36;
inline constexpr int kAxes = 6;
inline constexpr int kButtons = 10;
inline constexpr std::size_t kStateButtonsOffset = 26;

// The records' fields are little-endian, whatever the host's byte order.
using corvane::GetLe16;
using corvane::GetLe32;
using corvane::PutLe16;
using corvane::PutLe32;

}  // namespace corvane::joybus
