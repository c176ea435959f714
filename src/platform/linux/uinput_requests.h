#pragma once
// The joystick bus requests as the uinput backend reads them, and what it makes of them:
// the joystick's uinput setup and the event stream of one state record. No file
// descriptor here, so all of it runs without a kernel.

#include <linux/input.h>
#include <linux/uinput.h>

#include <cstddef>
#include <cstdint>

#include "platform/joystick_bus_protocol.h"

namespace corvane::uinput {

enum class RequestKind { kInvalid, kPortDescription, kExpose, kSetState, kRemove };

struct Request {
  RequestKind kind = RequestKind::kInvalid;
  std::uint32_t handle = 0;  // expose: the port handle; remove: the hardware handle
  int axes = 0;              // expose: axes asked for, 0 … 6
  int buttons = 0;           // expose: buttons asked for, 0 … 10
  // expose: from the hardware identifiers' "VID_hhhh&PID_hhhh"
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::int32_t axisValues[joybus::kAxes] = {};      // set state
  std::uint8_t buttonValues[joybus::kButtons] = {};  // set state: 0 or 1
};

// Reads one request from its record. Any code, length and content is safe; a request
// this backend does not know, or a record of the wrong size or content, is kInvalid.
Request ParseRequest(std::uint32_t code, const std::uint8_t* bytes, std::size_t length);

// The joystick as uinput creates it. Its name stays fixed and its ids are the ones the
// client names in its hardware identifier: games and simulators key their bindings on
// them. Identifiers without ids get those of Corvane's own, "Kestrovan\VID_045E&PID_1100",
// not 0000:0000, which SDL's list of controllers takes for an Xbox 360 pad.
inline constexpr char kJoystickName[] = "Kestrovan Virtual Joystick";
inline constexpr std::uint16_t kFallbackVendor = 0x045E;
inline constexpr std::uint16_t kFallbackProduct = 0x1100;
inline constexpr std::uint16_t kJoystickVersion = 1;
inline constexpr std::int32_t kAxisMinimum = 0;
inline constexpr std::int32_t kAxisMaximum = 1023;
// Every axis rests here until the first state arrives, as a centred stick would.
inline constexpr std::int32_t kAxisCentre = 512;
inline constexpr std::uint16_t kAxisCodes[joybus::kAxes] = {ABS_X, ABS_Y, ABS_Z,
                                                            ABS_RX, ABS_RY, ABS_RZ};
inline constexpr std::uint16_t kButtonCodes[joybus::kButtons] = {
    BTN_TRIGGER, BTN_THUMB, BTN_THUMB2, BTN_TOP,   BTN_TOP2,
    BTN_PINKIE,  BTN_BASE,  BTN_BASE2,  BTN_BASE3, BTN_BASE4};

uinput_setup JoystickSetup(std::uint16_t vendor, std::uint16_t product);
uinput_abs_setup AxisSetup(int axis);

// One event per exposed axis and button, in record order, then one SYN_REPORT.
inline constexpr int kMaxStateEvents = joybus::kAxes + joybus::kButtons + 1;
int BuildStateEvents(const Request& state, int axes, int buttons,
                     input_event (&events)[kMaxStateEvents]);

}  // namespace corvane::uinput
