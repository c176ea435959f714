#pragma once
// A one-shot timer on a Linux timerfd, watched by the Qt event loop of the thread that
// creates it. Arming it again is one system call and no allocation (a QTimer allocates on
// every start), so it can be re-armed for every capture buffer.

#include <chrono>
#include <functional>

class QSocketNotifier;

namespace corvane {

class PreciseTimer {
 public:
  explicit PreciseTimer(std::function<void()> onTimeout);
  ~PreciseTimer();
  PreciseTimer(const PreciseTimer&) = delete;
  PreciseTimer& operator=(const PreciseTimer&) = delete;

  // CLOCK_MONOTONIC's present time.
  static std::chrono::nanoseconds Now();
  // Fires once at `when` on CLOCK_MONOTONIC (at once if that has passed), replacing any
  // earlier arming.
  void ArmAt(std::chrono::nanoseconds when);
  void Disarm();

 private:
  void Fire();

  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  std::function<void()> onTimeout_;
};

}  // namespace corvane
