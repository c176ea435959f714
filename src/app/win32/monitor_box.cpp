#include "app/win32/monitor_box.h"

#include "app/win32/window_class.h"

namespace corvane {

namespace {

constexpr wchar_t kClassName[] = L"CorvaneMonitorBox";

}  // namespace

MonitorBox::MonitorBox(HINSTANCE instance, HWND parent, int id, int left, int top, int width,
                       int height)
    : width_(width), height_(height) {
  RegisterWindowClass(instance, kClassName, &MonitorBox::WindowProc);
  window_ = CreateWindowExW(0, kClassName, nullptr, WS_CHILD | WS_VISIBLE, left, top, width,
                            height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            instance, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  HDC screen = GetDC(window_);
  buffer_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(window_, screen);
  bufferBitmapBefore_ = SelectObject(buffer_, bitmap_);
  bufferPenBefore_ = GetCurrentObject(buffer_, OBJ_PEN);
}

MonitorBox::~MonitorBox() {
  SelectObject(buffer_, bufferPenBefore_);
  SelectObject(buffer_, bufferBitmapBefore_);
  if (pen_ != nullptr) DeleteObject(pen_);
  if (brush_ != nullptr) DeleteObject(brush_);
  DeleteObject(bitmap_);
  DeleteDC(buffer_);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

void MonitorBox::Repaint() { InvalidateRect(window_, nullptr, FALSE); }

void MonitorBox::FillRect(int left, int top, int width, int height, std::uint32_t colour) {
  if (brush_ == nullptr || brushColour_ != colour) {
    if (brush_ != nullptr) DeleteObject(brush_);
    brush_ = CreateSolidBrush(colour);
    brushColour_ = colour;
  }
  const RECT area{left, top, left + width, top + height};
  ::FillRect(buffer_, &area, brush_);
}

void MonitorBox::SetPenColour(std::uint32_t colour) {
  if (pen_ != nullptr && penColour_ == colour) return;
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  SelectObject(buffer_, pen);
  if (pen_ != nullptr) DeleteObject(pen_);
  pen_ = pen;
  penColour_ = colour;
}

void MonitorBox::MoveTo(int x, int y) { MoveToEx(buffer_, x, y, nullptr); }

void MonitorBox::LineTo(int x, int y) { ::LineTo(buffer_, x, y); }

void MonitorBox::Paint() {
  if (painter_) {
    painter_(*this, width_, height_);
  } else {
    FillRect(0, 0, width_, height_, 0);
  }
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(window_, &paint);
  BitBlt(screen, 0, 0, width_, height_, buffer_, 0, 0, SRCCOPY);
  EndPaint(window_, &paint);
}

LRESULT CALLBACK MonitorBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<MonitorBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      if (box != nullptr) {
        box->Paint();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvane
