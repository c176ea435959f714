// The timerfd timer the capture re-arms for every buffer: it fires once, at its time, and an
// expiry that a re-arming or disarming overtook must not fire it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/linux/precise_timer.h"

namespace corvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

void RunEventLoop(int forMilliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < forMilliseconds) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, forMilliseconds);
  }
}

TEST(PreciseTimerTest, FiresOnceAtItsTimeUnlessDisarmedOrReplaced) {
  std::vector<nanoseconds> firings;
  PreciseTimer timer([&] { firings.push_back(PreciseTimer::Now()); });

  const nanoseconds due = PreciseTimer::Now() + milliseconds(20);
  timer.ArmAt(due);
  RunEventLoop(80);
  ASSERT_EQ(firings.size(), 1u);
  EXPECT_GE(firings[0], due);

  timer.ArmAt(PreciseTimer::Now() + milliseconds(10));
  timer.Disarm();
  RunEventLoop(40);
  EXPECT_EQ(firings.size(), 1u);

  // Expired while the loop was busy elsewhere, then armed for later: only the later time counts.
  timer.ArmAt(PreciseTimer::Now() + milliseconds(5));
  std::this_thread::sleep_for(milliseconds(20));
  const nanoseconds later = PreciseTimer::Now() + milliseconds(40);
  timer.ArmAt(later);
  RunEventLoop(100);
  ASSERT_EQ(firings.size(), 2u);
  EXPECT_GE(firings[1], later);

  timer.ArmAt(PreciseTimer::Now() - milliseconds(5));  // already passed: fires at once
  RunEventLoop(20);
  EXPECT_EQ(firings.size(), 3u);
}

}  // namespace
}  // namespace corvane
