#pragma once
// What both capture loops do about a recording device that is missing, at the start or
// after it went away: tell the user once per change of the device's error, and while
// the error stands, start input anew every 1.5 s.

#include <chrono>
#include <string>

namespace corvane::tool {

class CaptureWatch {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRetry{1500};

  // `told`: the device's error right after the first start, already told (empty when it opened).
  CaptureWatch(std::string told, Clock::time_point now);

  struct Step {
    std::string tell;    // a line for the user; empty when nothing changed
    bool retry = false;  // stop and start input again now
  };
  // One look at the device's error, on a loop's tick.
  Step Look(const std::string& lastError, Clock::time_point now);

 private:
  std::string told_;
  Clock::time_point lastTry_;
};

}  // namespace corvane::tool
