#pragma once
// The tests' own way to the test bus driver, apart from the code under test: its
// interfaces listed with the device installer, its log taken and read.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

struct LoggedRequest {
  std::uint32_t code;
  std::vector<std::uint8_t> bytes;

  friend bool operator==(const LoggedRequest&, const LoggedRequest&) = default;
};

// The paths of the present interfaces of the game-port bus class, in the installer's order.
std::vector<std::string> GamePortBusPaths();

// Hands back every request the device at `path` was sent since the log was last taken,
// and starts a new log. False, with `error` set, when the log cannot be had.
bool TakeLog(const std::string& path, std::vector<LoggedRequest>& log, std::string& error);

// Makes the device at `path` refuse the state request (or accept it again).
bool RefuseState(const std::string& path, bool refuse);

// "code 0x2a2004, 36 bytes: 00 00 …", for failure messages.
std::string Describe(const LoggedRequest& request);

}  // namespace corvane::testing
