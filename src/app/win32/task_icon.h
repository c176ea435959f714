#pragma once
// The program's icon in the notification area and the pop-up menu it opens.

#include <windows.h>

namespace corvane {

// What the shell knows the icon by, and the message it sends the window for a mouse
// event on the icon (wParam the identifier, lParam the mouse message).
inline constexpr UINT kTaskIconId = 100;
inline constexpr UINT kTaskIconMessage = WM_USER + 1;  // 1025
// The window's timer that tries the icon again while the shell has no taskbar.
inline constexpr UINT_PTR kTaskIconRetryTimerId = 2;

class TaskIcon {
 public:
  // `window` receives the icon's messages and the menu's WM_COMMAND.
  TaskIcon(HINSTANCE instance, HWND window);
  ~TaskIcon();
  TaskIcon(const TaskIcon&) = delete;
  TaskIcon& operator=(const TaskIcon&) = delete;

  // Adds the icon. Where the shell has no taskbar yet (at logon, or before Wine's desktop
  // has made its tray), it is tried again every half second until the shell takes it, and
  // added anew whenever the shell announces a new taskbar: without its icon the program
  // could not be reached.
  void Add();
  void Delete();
  // The message the shell broadcasts when it has made its taskbar (again, after a restart).
  UINT TaskbarCreatedMessage() const { return taskbarCreated_; }
  // For the window: its retry timer, and the shell's new taskbar.
  void OnRetryTimer() { TryAdd(); }
  void OnTaskbarCreated();
  // Opens the menu ("Property", "-", "Exit") at the cursor, the window brought to the
  // foreground first so that the menu closes when the user clicks elsewhere.
  void PopupMenu();

 private:
  void TryAdd();

  HWND window_;
  HICON icon_;
  HMENU menu_;
  UINT taskbarCreated_;
  bool wanted_ = false;  // between Add and Delete
};

}  // namespace corvane
