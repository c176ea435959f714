#include "app/win32/form_window.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "app/window_placement.h"
#include "app/win32/control_ids.h"
#include "app/win32/wide_text.h"

namespace corvane {

namespace {

// A fixed dialog frame: caption with the system menu's close box only, never resized.
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidth = 472;
constexpr int kClientHeight = 420;
// The designed place of the window's top left corner, frame included.
constexpr int kFormLeft = 749;
constexpr int kFormTop = 463;

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerInterval = 10;  // ms

// An empty dialog: the controls are made afterwards at their pixel places, and the window
// is sized to its client area then, so the template's dialog units do not matter.
struct alignas(4) EmptyDialog {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};
constexpr EmptyDialog kEmptyDialog{{kWindowStyle, kWindowExStyle, 0, 0, 0, 0, 0}, 0, 0, 0};

bool ListOpen(HWND control) {
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  return lstrcmpiW(className, WC_COMBOBOXW) == 0 &&
         SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

}  // namespace

TFormWindow::TFormWindow(HINSTANCE instance) : instance_(instance) {
  font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, L"Verdana");
  CreateDialogIndirectParamW(instance, &kEmptyDialog.header, nullptr, &TFormWindow::DialogProc,
                             reinterpret_cast<LPARAM>(this));  // sets window_
  if (window_ == nullptr) throw std::runtime_error("The property window could not be created.");
  SetWindowTextW(window_, L"Corvane Propaties");
  BuildControls();
  PlaceWindow();
  taskIcon_ = std::make_unique<TaskIcon>(instance, window_);
}

void TFormWindow::CreateForm(MixerDevice& mixer, DriverBus& bus, KeyStore& store) {
  capture_ = std::make_unique<WaveInAudioDevice>(window_);
  form_ = std::make_unique<TFormCorvane>(*this, FormPlatform{*capture_, mixer, bus, store});
  monitor_->SetPainter([this](MonitorCanvas& canvas, int width, int height) {
    form_->OnPaintMonitor(canvas, width, height);
  });
}

TFormWindow::~TFormWindow() {
  EndForm();
  taskIcon_.reset();
  DestroyWindow(window_);
  monitor_.reset();
  DeleteObject(font_);
}

void TFormWindow::EndForm() {
  if (monitor_) monitor_->SetPainter(nullptr);
  form_.reset();
  capture_.reset();  // buffer messages still on their way are dropped with the window
}

void TFormWindow::PlaceWindow() {
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
  const ScreenRect designed{kFormLeft, kFormTop, frame.right - frame.left, frame.bottom - frame.top};
  const RECT designedRect{designed.left, designed.top, designed.left + designed.width,
                          designed.top + designed.height};
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  GetMonitorInfoW(MonitorFromRect(&designedRect, MONITOR_DEFAULTTONEAREST), &screen);
  const RECT& work = screen.rcWork;
  const ScreenPoint placed = KeepOnScreen(
      designed, ScreenRect{work.left, work.top, work.right - work.left, work.bottom - work.top});
  SetWindowPos(window_, nullptr, placed.x, placed.y, designed.width, designed.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Messages.

INT_PTR CALLBACK TFormWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<TFormWindow*>(lParam)->window_ = window;
    return FALSE;  // no control to focus yet
  }
  auto* self = reinterpret_cast<TFormWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr || !self->form_) return FALSE;
  // An error that escapes a handler is shown, and the program goes on.
  try {
    return self->OnMessage(message, wParam, lParam) ? TRUE : FALSE;
  } catch (const std::exception& error) {
    self->ShowError(error.what());
    return TRUE;
  }
}

bool TFormWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A filled capture buffer: the device hands it to the form's OnWaveInData.
  if (capture_->HandleMessage(message, wParam, lParam)) return true;
  if (message == taskIcon_->TaskbarCreatedMessage()) {
    taskIcon_->OnTaskbarCreated();
    return false;  // every window may hear of it
  }
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return true;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) != Control(FormControl::SliderVolume)) return false;
      OnSliderScroll();
      return true;
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
      if (notice->hwndFrom != pageControl_ || notice->code != TCN_SELCHANGE) return false;
      ShowPage(static_cast<int>(SendMessageW(pageControl_, TCM_GETCURSEL, 0, 0)));
      return true;
    }
    case WM_TIMER:
      if (wParam == kTaskIconRetryTimerId) {
        taskIcon_->OnRetryTimer();
      } else if (wParam == kTimerId) {
        form_->OnTimer();
      }
      return true;
    case kTaskIconMessage:
      // The same number is the dialog's DM_SETDEFID; the icon's messages carry its
      // identifier, which no control has.
      if (wParam != kTaskIconId) return false;
      form_->OnTaskIconMessage(static_cast<std::uint32_t>(lParam));
      return true;
    case WM_CLOSE:
      // The close box, and "Exit": a visible window only hides.
      if (form_->FormCloseQuery()) {
        form_->FormClose();
        PostQuitMessage(0);
      }
      return true;
    case WM_ENDSESSION:
      // The session ends, and the process with it, before the message loop could end: end
      // here as "Exit" does, so the joystick goes and the mixer gets its values back.
      if (wParam != FALSE) {
        form_->ExitClick();
        EndForm();
      }
      return true;
    default:
      return false;
  }
}

void TFormWindow::OnCommand(int id, int code) {
  switch (id) {
    case kMenuPropertyId:
      form_->PropertyClick();
      return;
    case kMenuExitId:
      form_->ExitClick();
      return;
    default:
      break;
  }
  const ControlLayout* row = LayoutOfId(id);
  if (row == nullptr) return;
  switch (row->kind) {
    case ControlKind::kButton:
    case ControlKind::kDefaultButton:
    case ControlKind::kCheckBox:
      if (code == BN_CLICKED) form_->OnControlEvent(*row);
      return;
    case ControlKind::kDropDownList:
      // The lists react to the user's choice only; an index set from code sends nothing.
      if (code == CBN_SELCHANGE) form_->OnControlEvent(*row);
      return;
    default:
      return;
  }
}

// The trackbar reports every step of a drag and its end; the form hears of changes only.
void TFormWindow::OnSliderScroll() {
  const int position = SliderPosition();
  if (position == sliderPosition_) return;
  sliderPosition_ = position;
  form_->OnControlEvent(LayoutOf(FormControl::SliderVolume));
}

void TFormWindow::ShowPage(int index) {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    ::ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
}

void TFormWindow::PressButton(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

bool TFormWindow::TakeDialogKey(MSG& message) {
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    HWND focus = GetFocus();
    switch (message.wParam) {
      case VK_RETURN:
        if (ListOpen(focus)) break;  // Enter chooses the list's item
        if (focus == Control(FormControl::ButtonStart) || focus == buttonOK_ ||
            focus == buttonCancel_ || focus == buttonApply_) {
          PressButton(focus);
        } else {
          PressButton(buttonOK_);
        }
        return true;
      case VK_ESCAPE:
        if (ListOpen(focus)) break;  // Escape closes the list
        PressButton(buttonCancel_);
        return true;
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0) {
          const int count = static_cast<int>(pages_.size());
          const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
          const int page =
              (static_cast<int>(SendMessageW(pageControl_, TCM_GETCURSEL, 0, 0)) + step) % count;
          SendMessageW(pageControl_, TCM_SETCURSEL, page, 0);
          ShowPage(page);
          SetFocus(pageControl_);
          return true;
        }
        break;
      default:
        break;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

// The view's operations, as the form calls them. None of them sends a notification that
// would run one of the form's handlers.

void TFormWindow::ClearItems(FormControl list) { SendMessageW(Control(list), CB_RESETCONTENT, 0, 0); }

void TFormWindow::AddItem(FormControl list, std::string_view text) {
  const std::wstring item = Widen(text);
  SendMessageW(Control(list), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TFormWindow::ItemIndex(FormControl list) const {
  return static_cast<int>(SendMessageW(Control(list), CB_GETCURSEL, 0, 0));  // CB_ERR is -1
}

void TFormWindow::SetItemIndex(FormControl list, int index) {
  const int count = static_cast<int>(SendMessageW(Control(list), CB_GETCOUNT, 0, 0));
  const int selected = index >= 0 && index < count ? index : -1;
  SendMessageW(Control(list), CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

bool TFormWindow::Checked(FormControl box) const {
  return SendMessageW(Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFormWindow::SetChecked(FormControl box, bool checked) {
  SendMessageW(Control(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TFormWindow::SliderPosition() const {
  return static_cast<int>(SendMessageW(Control(FormControl::SliderVolume), TBM_GETPOS, 0, 0));
}

void TFormWindow::SetSliderPosition(int position) {
  SendMessageW(Control(FormControl::SliderVolume), TBM_SETPOS, TRUE, position);
  sliderPosition_ = SliderPosition();
}

void TFormWindow::SetCaption(FormControl button, std::string_view caption) {
  SetWindowTextW(Control(button), Widen(caption).c_str());
}

void TFormWindow::SetBarPosition(FormControl bar, int position) {
  SendMessageW(Control(bar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TFormWindow::RepaintMonitor() { monitor_->Repaint(); }

bool TFormWindow::WindowVisible() const { return IsWindowVisible(window_) != FALSE; }

void TFormWindow::ShowWindow() {
  ::ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void TFormWindow::HideWindow() { ::ShowWindow(window_, SW_HIDE); }

void TFormWindow::CloseWindow() { SendMessageW(window_, WM_CLOSE, 0, 0); }

// Windows always has its notification area.
bool TFormWindow::TrayAvailable() const { return true; }

void TFormWindow::AddTaskIcon() { taskIcon_->Add(); }

void TFormWindow::DelTaskIcon() { taskIcon_->Delete(); }

void TFormWindow::PopupMenu() { taskIcon_->PopupMenu(); }

void TFormWindow::EnableTimer(bool enabled) {
  if (enabled) {
    SetTimer(window_, kTimerId, kTimerInterval, nullptr);
  } else {
    KillTimer(window_, kTimerId);
  }
}

// The system's standard error box; over the window while it is shown.
void TFormWindow::ShowError(std::string_view message) {
  MessageBoxW(WindowVisible() ? window_ : nullptr, Widen(message).c_str(), L"Corvane",
              MB_OK | MB_ICONERROR);
}

}  // namespace corvane
