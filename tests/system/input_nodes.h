// Finding the /dev/input nodes of a device by its name, in the system-test VM.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace corvane::systest {

enum class InputInterface { Evdev, Joydev };  // /dev/input/eventN, /dev/input/jsN

// The node of INTERFACE whose device is called NAME. Nodes appear a moment after the device
// is created, so this looks again until TIMEOUT has passed.
std::optional<std::string> FindInputNode(InputInterface interface, const std::string& name,
                                         std::chrono::milliseconds timeout);

}  // namespace corvane::systest
