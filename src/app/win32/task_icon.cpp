#include "app/win32/task_icon.h"

#include <shellapi.h>

#include <cstring>

#include "app/win32/control_ids.h"

namespace corvane {

namespace {

// The record in its first layout, the one every shell reads (88 bytes for 32-bit
// programs, NOTIFYICONDATAA_V1_SIZE here): with it, wParam of the icon's message is the
// identifier and lParam the mouse message.
NOTIFYICONDATAA IconRecord(HWND window) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = window;
  record.uID = kTaskIconId;
  return record;
}

constexpr UINT kRetryInterval = 500;  // ms

}  // namespace

TaskIcon::TaskIcon(HINSTANCE instance, HWND window)
    : window_(window),
      icon_(LoadIconA(instance, "TASKICON")),
      menu_(CreatePopupMenu()),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
  AppendMenuW(menu_, MF_STRING, kMenuPropertyId, L"Property");
  AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu_, MF_STRING, kMenuExitId, L"Exit");
}

TaskIcon::~TaskIcon() { DestroyMenu(menu_); }

void TaskIcon::Add() {
  wanted_ = true;
  TryAdd();
}

void TaskIcon::TryAdd() {
  NOTIFYICONDATAA record = IconRecord(window_);
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
  record.uCallbackMessage = kTaskIconMessage;
  record.hIcon = icon_;
  std::strcpy(record.szTip, "Corvane");
  // An icon the shell holds already is taken as added.
  if (Shell_NotifyIconA(NIM_ADD, &record) || Shell_NotifyIconA(NIM_MODIFY, &record)) {
    KillTimer(window_, kTaskIconRetryTimerId);
  } else {
    SetTimer(window_, kTaskIconRetryTimerId, kRetryInterval, nullptr);
  }
}

void TaskIcon::OnTaskbarCreated() {
  if (wanted_) TryAdd();
}

void TaskIcon::Delete() {
  wanted_ = false;
  KillTimer(window_, kTaskIconRetryTimerId);
  NOTIFYICONDATAA record = IconRecord(window_);
  Shell_NotifyIconA(NIM_DELETE, &record);
}

void TaskIcon::PopupMenu() {
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(window_);
  TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window_, nullptr);
  // The menu only closes at a click elsewhere once the window has had a message since.
  PostMessageW(window_, WM_NULL, 0, 0);
}

}  // namespace corvane
