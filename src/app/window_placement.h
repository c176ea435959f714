#pragma once
// Where the property window opens: at its designed place when the whole window fits the
// screen's work area there, otherwise moved by the least distance that puts it wholly on
// that area (a laptop screen, say, where 749, 463 would hide the window's buttons).

namespace corvane {

// The window's designed top left corner, in screen pixels.
inline constexpr int kFormLeft = 749;
inline constexpr int kFormTop = 463;

struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Moves one side's span [start, start + size) into [areaStart, areaStart + areaSize);
// a span longer than the area keeps its start at the area's start.
constexpr int KeepSpanInside(int start, int size, int areaStart, int areaSize) {
  if (start + size > areaStart + areaSize) start = areaStart + areaSize - size;
  if (start < areaStart) start = areaStart;
  return start;
}

// `window` moved the least distance that puts it wholly inside `area`; its size stays.
constexpr ScreenRect KeepOnScreen(ScreenRect window, const ScreenRect& area) {
  window.left = KeepSpanInside(window.left, window.width, area.left, area.width);
  window.top = KeepSpanInside(window.top, window.height, area.top, area.height);
  return window;
}

}  // namespace corvane
