// What the joystick interface (/dev/input/jsN) tells about a device.
#pragma once

#include <string>

namespace corvane::systest {

struct JoydevInfo {
  std::string name;
  int axes = 0;
  int buttons = 0;
};

JoydevInfo QueryJoydev(const std::string& path);  // throws std::system_error

}  // namespace corvane::systest
