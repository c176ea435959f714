#include "platform/linux/precise_timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <utility>

namespace corvane {

PreciseTimer::PreciseTimer(std::function<void()> onTimeout) : onTimeout_(std::move(onTimeout)) {
  fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ < 0) return;  // never fires: callers keep their other wake-ups
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { Fire(); });
}

PreciseTimer::~PreciseTimer() {
  delete notifier_;
  if (fd_ >= 0) ::close(fd_);
}

std::chrono::nanoseconds PreciseTimer::Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void PreciseTimer::ArmAt(std::chrono::nanoseconds when) {
  if (fd_ < 0) return;
  const std::int64_t ns = std::max<std::int64_t>(when.count(), 1);  // 0 would disarm it
  itimerspec at{};
  at.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
  at.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
  timerfd_settime(fd_, TFD_TIMER_ABSTIME, &at, nullptr);
}

void PreciseTimer::Disarm() {
  if (fd_ < 0) return;
  const itimerspec never{};
  timerfd_settime(fd_, 0, &never, nullptr);
}

void PreciseTimer::Fire() {
  std::uint64_t expirations = 0;
  // Disarmed or re-armed since it became readable: nothing is due.
  if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;
  onTimeout_();
}

}  // namespace corvane
