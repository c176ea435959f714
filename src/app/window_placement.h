#pragma once
// Where a top-level window goes on its screen, without a toolkit.

namespace corvane {

// A rectangle in screen pixels: its left and top edge and its size.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ScreenPoint {
  int x = 0;
  int y = 0;

  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The top-left corner of `window` (frame included) moved by the least distance that
// puts the whole window inside `available`, the part of the screen that panels leave
// free; a window that fits stays where it is. Along an axis where the window is larger
// than the area, its left or top edge goes to the area's, so the title bar stays
// reachable.
ScreenPoint KeepOnScreen(const ScreenRect& window, const ScreenRect& available);

}  // namespace corvane
