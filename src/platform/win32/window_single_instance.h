#pragma once
// One Corvane per user session: the first start holds a named mutex in the session's
// namespace and a hidden message-only window; a later start finds that window and posts
// it a message asking to show the property window, then ends.

#include <windows.h>

#include <functional>

#include "platform/platform.h"

namespace corvane {

class WindowSingleInstance : public SingleInstance {
 public:
  // `name` names the mutex (in the session's "Local\" namespace) and the window's class;
  // tests give their own.
  WindowSingleInstance(std::function<void()> showRequested, const char* name = "Corvane");
  ~WindowSingleInstance() override;
  WindowSingleInstance(const WindowSingleInstance&) = delete;
  WindowSingleInstance& operator=(const WindowSingleInstance&) = delete;

  bool Claim() override;
  bool AskRunningToShow() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void()> showRequested_;
  char mutexName_[96] = {};
  char className_[96] = {};
  HANDLE mutex_ = nullptr;
  HWND window_ = nullptr;
};

}  // namespace corvane
