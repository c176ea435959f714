#include "corvane-decode/capture_watch.h"

#include <utility>

namespace corvane::tool {

CaptureWatch::CaptureWatch(std::string told, Clock::time_point now) : told_(std::move(told)), lastTry_(now) {}

CaptureWatch::Step CaptureWatch::Look(const std::string& lastError, Clock::time_point now) {
  Step step;
  if (lastError != told_) {
    step.tell = lastError.empty() ? "corvane-decode: recording" : "corvane-decode: " + lastError;
    // A device that just went away is tried again a full interval later.
    if (told_.empty()) lastTry_ = now;
    told_ = lastError;
  }
  if (!told_.empty() && now - lastTry_ >= kRetry) {
    lastTry_ = now;
    step.retry = true;
  }
  return step;
}

}  // namespace corvane::tool
