#pragma once
// The program's icon in the notification area and the pop-up menu it opens.

#include <windows.h>

namespace corvane {

// What the shell knows the icon by, and the message it sends the window for a mouse
// event on the icon (wParam the identifier, lParam the mouse message).
inline constexpr UINT kTaskIconId = 100;
inline constexpr UINT kTaskIconMessage = WM_USER + 1;  // 1025

class TaskIcon {
 public:
  // `window` receives the icon's messages and the menu's WM_COMMAND.
  TaskIcon(HINSTANCE instance, HWND window);
  ~TaskIcon();
  TaskIcon(const TaskIcon&) = delete;
  TaskIcon& operator=(const TaskIcon&) = delete;

  // Failures of either are ignored: the program runs on without its icon.
  void Add();
  void Delete();
  // Opens the menu ("Property", "-", "Exit") at the cursor, the window brought to the
  // foreground first so that the menu closes when the user clicks elsewhere.
  void PopupMenu();

 private:
  HWND window_;
  HICON icon_;
  HMENU menu_;
};

}  // namespace corvane
