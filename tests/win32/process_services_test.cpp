// The process services on Windows: above-normal priority, one instance per session that
// a later start can ask to show its window, and the seam handing out the backends.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/win32/window_single_instance.h"

namespace corvane {
namespace {

// Delivers this thread's messages until none is waiting.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(ProcessServices, PriorityIsRaisedAboveNormal) {
  RaiseProcessPriority();
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(ABOVE_NORMAL_PRIORITY_CLASS));
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

TEST(ProcessServices, ASecondInstanceIsRefusedAndAsksTheFirstToShow) {
  int shown = 0;
  WindowSingleInstance first([&] { ++shown; }, "CorvaneTest");
  ASSERT_TRUE(first.Claim());
  {
    WindowSingleInstance second([] {}, "CorvaneTest");
    EXPECT_FALSE(second.Claim());
    EXPECT_TRUE(second.AskRunningToShow());
  }
  PumpMessages();
  EXPECT_EQ(shown, 1);
  // Another name is another program: no conflict.
  WindowSingleInstance other([] {}, "CorvaneOtherTest");
  EXPECT_TRUE(other.Claim());
}

TEST(ProcessServices, ClaimIsFreeAgainOnceTheFirstEnds) {
  {
    WindowSingleInstance first([] {}, "CorvaneTest");
    ASSERT_TRUE(first.Claim());
  }
  WindowSingleInstance later([] {}, "CorvaneTest");
  EXPECT_FALSE(later.AskRunningToShow()) << "nothing runs to ask";
  EXPECT_TRUE(later.Claim());
}

TEST(ProcessServices, TheSeamHandsOutEveryBackend) {
  EXPECT_NE(CreateAudioDevice(), nullptr);
  EXPECT_NE(CreateMixerDevice(), nullptr);
  EXPECT_NE(CreateDriverBus(DefaultJoystickDevice()), nullptr);
  EXPECT_NE(CreateKeyStore(), nullptr);
  std::string error;
  EXPECT_TRUE(InstallStopSignals(error)) << error;
  EXPECT_FALSE(StopRequested());
  EXPECT_EQ(StopSignalFd(), -1);
}

}  // namespace
}  // namespace corvane
