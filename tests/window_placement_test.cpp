#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// The property window with its frame, about 478 × 445 pixels.
constexpr ScreenRect Designed() { return {kFormLeft, kFormTop, 478, 445}; }

TEST(WindowPlacement, KeepsTheDesignedPlaceWhereTheWindowFits) {
  const ScreenRect placed = KeepOnScreen(Designed(), {0, 0, 1920, 1040});
  EXPECT_EQ(placed.left, 749);
  EXPECT_EQ(placed.top, 463);
  // Exactly fitting at the right and bottom edges is fitting.
  const ScreenRect edge = KeepOnScreen(Designed(), {0, 0, 749 + 478, 463 + 445});
  EXPECT_EQ(edge.left, 749);
  EXPECT_EQ(edge.top, 463);
}

TEST(WindowPlacement, MovesTheLeastDistanceOntoASmallScreen) {
  // 1366 × 768 with a 40-pixel panel at the bottom: only the top moves.
  const ScreenRect laptop = KeepOnScreen(Designed(), {0, 0, 1366, 728});
  EXPECT_EQ(laptop.left, 749);
  EXPECT_EQ(laptop.top, 728 - 445);
  // 1024 × 768 with a panel at the top: both move, and the size stays.
  const ScreenRect small = KeepOnScreen(Designed(), {0, 30, 1024, 738});
  EXPECT_EQ(small.left, 1024 - 478);
  EXPECT_EQ(small.top, 768 - 445);
  EXPECT_EQ(small.width, 478);
  EXPECT_EQ(small.height, 445);
}

TEST(WindowPlacement, PutsTheTopLeftCornerOnAScreenTooSmallForTheWindow) {
  // The caption and the close box stay reachable; the rest runs off the right and bottom.
  const ScreenRect tiny = KeepOnScreen(Designed(), {100, 50, 400, 300});
  EXPECT_EQ(tiny.left, 100);
  EXPECT_EQ(tiny.top, 50);
  // A work area left or above the origin (a second monitor) is handled alike.
  const ScreenRect left = KeepOnScreen({-200, -100, 478, 445}, {-1280, 0, 1280, 1024});
  EXPECT_EQ(left.left, -478);
  EXPECT_EQ(left.top, 0);
}

}  // namespace
}  // namespace corvane
