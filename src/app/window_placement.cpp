#include "app/window_placement.h"

#include <algorithm>

namespace corvane {

namespace {

// The start of a span of `length` moved the least so that it lies within the span
// [first, first + room); a span longer than the room starts at `first`.
int KeepWithin(int start, int length, int first, int room) {
  if (length >= room) return first;
  return std::clamp(start, first, first + room - length);
}

}  // namespace

ScreenPoint KeepOnScreen(const ScreenRect& window, const ScreenRect& available) {
  return {KeepWithin(window.left, window.width, available.left, available.width),
          KeepWithin(window.top, window.height, available.top, available.height)};
}

}  // namespace corvane
