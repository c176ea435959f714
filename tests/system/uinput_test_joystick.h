// A uinput joystick made straight through /dev/uinput, shaped like the one the program
// creates: 6 axes (X, Y, Z, RX, RY, RZ) of 0 … 1023 and 10 buttons BTN_TRIGGER … BTN_BASE4.
// It proves the VM's input stack; the program's own backend has tests of its own.
#pragma once

#include <array>
#include <string>

namespace corvane::systest {

class UinputTestJoystick {
 public:
  static constexpr std::array<int, 6> kAxes = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05};  // ABS_X … ABS_RZ
  static constexpr int kFirstButton = 0x120;  // BTN_TRIGGER
  static constexpr int kButtons = 10;         // … BTN_BASE4

  explicit UinputTestJoystick(const std::string& name);  // throws std::system_error
  ~UinputTestJoystick();
  UinputTestJoystick(const UinputTestJoystick&) = delete;
  UinputTestJoystick& operator=(const UinputTestJoystick&) = delete;

  // Sends every axis and button, then one SYN_REPORT.
  void Report(const std::array<int, 6>& axes, const std::array<bool, kButtons>& buttons);

 private:
  void Emit(int type, int code, int value);
  int fd_;
};

}  // namespace corvane::systest
