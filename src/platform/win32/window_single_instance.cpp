#include "platform/win32/window_single_instance.h"

#include <cstdio>

namespace corvane {

namespace {

// What a later start posts to the running one's window.
constexpr UINT kShowMessage = WM_APP + 1;

}  // namespace

WindowSingleInstance::WindowSingleInstance(std::function<void()> showRequested, const char* name)
    : showRequested_(std::move(showRequested)) {
  std::snprintf(mutexName_, sizeof mutexName_, "Local\\%s.Instance", name);
  std::snprintf(className_, sizeof className_, "%s.InstanceWindow", name);
}

WindowSingleInstance::~WindowSingleInstance() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool WindowSingleInstance::Claim() {
  mutex_ = CreateMutexA(nullptr, FALSE, mutexName_);
  if (mutex_ == nullptr) {
    std::fprintf(stderr, "corvane: cannot tell whether Corvane runs already (error %lu); starting anyway\n",
                 GetLastError());
    return true;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
    return false;
  }
  WNDCLASSEXA description{};
  description.cbSize = sizeof description;
  description.lpfnWndProc = &WindowProc;
  description.hInstance = GetModuleHandleA(nullptr);
  description.lpszClassName = className_;
  RegisterClassExA(&description);  // fails harmlessly when registered before
  window_ = CreateWindowExA(0, className_, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (window_ == nullptr) {
    std::fprintf(stderr, "corvane: a later start cannot reach this one (error %lu)\n", GetLastError());
  } else {
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  return true;
}

bool WindowSingleInstance::AskRunningToShow() {
  const HWND running = FindWindowExA(HWND_MESSAGE, nullptr, className_, nullptr);
  return running != nullptr && PostMessageA(running, kShowMessage, 0, 0);
}

LRESULT CALLBACK WindowSingleInstance::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<WindowSingleInstance*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kShowMessage && self != nullptr) {
    if (self->showRequested_) self->showRequested_();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace corvane
