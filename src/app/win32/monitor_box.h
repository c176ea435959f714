#pragma once
// The Input page's signal monitor: a child window that the form paints through GDI. It
// draws into a bitmap of its own size and copies that to the screen in one step, so the
// trace redrawn 25 times a second does not flicker.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>

#include "app/form_view.h"

namespace corvane {

class MonitorBox final : public MonitorCanvas {
 public:
  using Painter = std::function<void(MonitorCanvas& canvas, int width, int height)>;

  MonitorBox(HINSTANCE instance, HWND parent, int id, int left, int top, int width, int height);
  ~MonitorBox();
  MonitorBox(const MonitorBox&) = delete;
  MonitorBox& operator=(const MonitorBox&) = delete;

  HWND Handle() const { return window_; }
  // Until a painter is set the box paints black.
  void SetPainter(Painter painter) { painter_ = std::move(painter); }
  // Repaints soon, when the window's thread is idle.
  void Repaint();

  void FillRect(int left, int top, int width, int height, std::uint32_t colour) override;
  void SetPenColour(std::uint32_t colour) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  HWND window_ = nullptr;
  int width_;
  int height_;
  Painter painter_;
  // The drawing surface, made once: nothing is allocated per repaint.
  HDC buffer_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ bufferBitmapBefore_ = nullptr;
  HGDIOBJ bufferPenBefore_ = nullptr;
  // One brush and one pen, made again only when the colour changes.
  HBRUSH brush_ = nullptr;
  COLORREF brushColour_ = 0;
  HPEN pen_ = nullptr;
  COLORREF penColour_ = 0;
};

}  // namespace corvane
