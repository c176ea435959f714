// The capture loops' policy for a missing recording device, as a timeline of the
// device's error on the loop's ticks.
#include "corvane-decode/capture_watch.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace corvane::tool {
namespace {

using std::chrono::milliseconds;

struct Tick {
  int at;             // ms after the start
  const char* error;  // the device's LastError then
  const char* tell;   // the line expected, "" for none
  bool retry;
};

void Expect(const char* told, std::initializer_list<Tick> ticks) {
  const CaptureWatch::Clock::time_point start{};
  CaptureWatch watch(told, start);
  for (const Tick& tick : ticks) {
    const CaptureWatch::Step step = watch.Look(tick.error, start + milliseconds(tick.at));
    EXPECT_EQ(step.tell, tick.tell) << "at " << tick.at << " ms";
    EXPECT_EQ(step.retry, tick.retry) << "at " << tick.at << " ms";
  }
}

TEST(CaptureWatch, TellsOncePerChangeAndRetriesEvery1500MsWhileTheErrorStands) {
  // Missing at the start (told already by the loop): retried from the start's time on.
  Expect("cannot open", {{500, "cannot open", "", false},
                         {1500, "cannot open", "", true},
                         {2000, "cannot open", "", false},
                         {3000, "cannot open", "", true},
                         {3010, "", "corvane-decode: recording", false},
                         {6000, "", "", false}});
  // Lost while recording: told at once, the first retry a full interval later; a retry
  // that fails otherwise tells the new error.
  Expect("", {{100, "", "", false},
              {1000, "gone", "corvane-decode: gone", false},
              {2000, "gone", "", false},
              {2500, "gone", "", true},
              {2510, "cannot open", "corvane-decode: cannot open", false},
              {4000, "cannot open", "", true},
              {4010, "", "corvane-decode: recording", false},
              {5600, "", "", false}});
}

}  // namespace
}  // namespace corvane::tool
