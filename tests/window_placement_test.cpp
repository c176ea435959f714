#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(WindowPlacement, KeepsTheWindowWhollyOnTheAvailableArea) {
  // The property window with a 4-pixel frame and a 20-pixel title bar: 480 × 448.
  struct Case {
    const char* what;
    ScreenRect window;
    ScreenRect available;
    ScreenPoint at;
  };
  const Case cases[] = {
      {"fits: stays", {749, 463, 480, 448}, {0, 0, 1920, 1080}, {749, 463}},
      {"touches the right and bottom edges", {1440, 632, 480, 448}, {0, 0, 1920, 1080}, {1440, 632}},
      {"1366×768: up and left", {749, 463, 480, 448}, {0, 0, 1366, 768}, {749, 320}},
      {"1280×800 with a bottom panel", {749, 463, 480, 448}, {0, 0, 1280, 772}, {749, 324}},
      {"1024×768: both axes", {749, 463, 480, 448}, {0, 0, 1024, 768}, {544, 320}},
      {"a top panel pushes it down", {749, 10, 480, 448}, {0, 32, 1920, 1048}, {749, 32}},
      {"left of a second screen", {1800, 100, 480, 448}, {1920, 0, 1280, 1024}, {1920, 100}},
      {"right of the first screen", {1800, 100, 480, 448}, {0, 0, 1920, 1080}, {1440, 100}},
      {"exactly the area's size", {5, 5, 480, 448}, {0, 0, 480, 448}, {0, 0}},
      {"taller than the area: title bar at its top", {749, 463, 480, 448}, {0, 24, 800, 400}, {320, 24}},
      {"wider than the area: left edge at its left", {749, 0, 480, 448}, {100, 0, 400, 600}, {100, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ScreenPoint at = KeepOnScreen(c.window, c.available);
    EXPECT_EQ(at.x, c.at.x);
    EXPECT_EQ(at.y, c.at.y);
  }
}

}  // namespace
}  // namespace corvane
