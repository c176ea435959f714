#include "platform/win32/message_loop.h"

#include <windows.h>

namespace corvane {

void RunMessageLoop(std::chrono::milliseconds tick, const std::function<bool()>& onTick) {
  // A thread timer: its WM_TIMER carries no window.
  const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(tick.count()), nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == WM_TIMER && message.wParam == timer) {
      if (!onTick()) break;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  KillTimer(nullptr, timer);
}

}  // namespace corvane
