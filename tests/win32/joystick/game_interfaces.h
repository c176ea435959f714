#pragma once
// The three ways a game reads a joystick on Windows, each reduced to "wait for the
// Corvane joystick, then give its states":
//   hid     the HID API: the device found by its vendor and product id, input reports
//           read with ReadFile and taken apart with HidP_GetUsageValue / HidP_GetUsages;
//   winmm   joyGetPosEx (JOYINFOEX), polled;
//   dinput  DirectInput 8 with the DIJOYSTATE2 format, polled.
// Each also states how its units follow from the report's 0 … 1023 (ToInterface).

#include <memory>
#include <string>

#include "joystick_state.h"

namespace corvane::joycheck {

enum class ReadResult { kState, kNothingNew, kGone };

class GameInterface {
 public:
  virtual ~GameInterface() = default;
  // Looks for the joystick once; true when it was found and opened.
  virtual bool Find() = 0;
  // The next state. HID waits up to `waitMs` for a new report; the polled interfaces give
  // the state as it stands (kNothingNew when it has not changed since the last one).
  virtual ReadResult Read(InterfaceState& state, int waitMs) = 0;
  // Whether a joystick with the Corvane ids can be seen through this interface now.
  virtual bool Present() = 0;
  // The state this interface shows for a state the program sent.
  virtual InterfaceState ToInterface(const SentState& sent) const = 0;
  // "lX lY lZ lRx lRz rglSlider[0]" and the like, for the output.
  virtual std::string Describe() const = 0;
  // Whether the state is one the interface shows for a joystick at rest: the centre the
  // bus gives a new joystick, or the interface's own centre before any report has come.
  virtual bool AtRest(const InterfaceState& state) const { return state == ToInterface(CentreState()); }
};

// "hid", "winmm" or "dinput"; nothing for another name.
std::unique_ptr<GameInterface> MakeGameInterface(const std::string& name);

}  // namespace corvane::joycheck
