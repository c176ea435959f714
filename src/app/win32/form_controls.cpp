// The property window's pages and controls, with the texts, ranges, positions and sizes
// the window is laid out in (left, top, width, height, relative to the page or window).

#include "app/win32/form_window.h"  // windows.h before commctrl.h

#include <commctrl.h>

#include <string>

#include "app/win32/control_ids.h"
#include "app/win32/wide_text.h"
#include "app/win32/window_class.h"
#include "decode/signal_formats.h"

namespace corvane {

namespace {

constexpr wchar_t kPageClass[] = L"CorvanePage";
constexpr wchar_t kPanelClass[] = L"CorvanePanel";

// A page hands its controls' notifications on to the window, which handles them all.
LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_HSCROLL) {
    return SendMessageW(GetAncestor(page, GA_ROOT), message, wParam, lParam);
  }
  return DefWindowProcW(page, message, wParam, lParam);
}

// `TSlider`: the ordinary trackbar style with the selection-range bit (0x20) cleared, so
// no selection range is drawn on the track.
constexpr DWORD kTrackBarStyle =
    TBS_HORZ | TBS_BOTH | TBS_AUTOTICKS | TBS_FIXEDLENGTH | TBS_ENABLESELRANGE;
constexpr DWORD kSliderStyle = kTrackBarStyle & ~static_cast<DWORD>(TBS_ENABLESELRANGE);

// A drop-down list shows up to eight items; the height given to the control is its closed
// height plus the list's.
constexpr int kDropDownItems = 8;

class ControlMaker {
 public:
  ControlMaker(HINSTANCE instance, HFONT font) : instance_(instance), font_(font) {}

  HWND Make(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
            int left, int top, int width, int height, DWORD exStyle = 0) const {
    HWND control = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, left,
                                   top, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  }

  // A label takes the size of its text, as an auto-sized label does.
  HWND Label(HWND parent, const std::wstring& text, int left, int top) const {
    HDC screen = GetDC(nullptr);
    HGDIOBJ before = SelectObject(screen, font_);
    RECT extent{0, 0, 0, 0};
    DrawTextW(screen, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    return Make(parent, WC_STATICW, text.c_str(), SS_LEFT | SS_NOPREFIX, kLabelId, left, top,
                extent.right, extent.bottom);
  }

  HWND DropDownList(HWND parent, FormControl list, int left, int top, int width, int height) const {
    HWND control = Make(parent, WC_COMBOBOXW, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                        ControlId(list), left, top, width, height);
    const int itemHeight = static_cast<int>(SendMessageW(control, CB_GETITEMHEIGHT, 0, 0));
    RECT closed;
    GetWindowRect(control, &closed);
    MoveWindow(control, left, top, width,
               (closed.bottom - closed.top) + kDropDownItems * itemHeight + 2, FALSE);
    return control;
  }

  HWND Button(HWND parent, const wchar_t* caption, DWORD kind, int id, int left, int top, int width,
              int height) const {
    return Make(parent, WC_BUTTONW, caption, kind | WS_TABSTOP, id, left, top, width, height);
  }

  HWND Page(HWND pageControl, int id, const RECT& area) const {
    return Make(pageControl, kPageClass, nullptr, WS_CLIPSIBLINGS, id, area.left, area.top,
                area.right - area.left, area.bottom - area.top, WS_EX_CONTROLPARENT);
  }

 private:
  HINSTANCE instance_;
  HFONT font_;
};

void AddTab(HWND pageControl, int index, const wchar_t* caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption);
  SendMessageW(pageControl, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

std::wstring Numbered(const wchar_t* stem, int n) { return stem + std::to_wstring(n); }

}  // namespace

void TFormWindow::BuildControls() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  RegisterWindowClass(instance_, kPageClass, &PageProc, GetSysColorBrush(COLOR_BTNFACE));
  RegisterWindowClass(instance_, kPanelClass, &DefWindowProcW,
                      static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const ControlMaker make(instance_, font_);

  // The pages are children of the page control, over its display area, so that Tab moves
  // from the page control into the shown page's controls and on to the window's buttons.
  pageControl_ = make.Make(window_, WC_TABCONTROLW, nullptr, WS_TABSTOP | WS_CLIPCHILDREN,
                           kPageControlId, 8, 8, 457, 377, WS_EX_CONTROLPARENT);
  AddTab(pageControl_, 0, L"Input");
  AddTab(pageControl_, 1, L"TX");
  AddTab(pageControl_, 2, L"Mapping");
  RECT display{0, 0, 457, 377};
  SendMessageW(pageControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  auto controlAt = [this](FormControl control) -> HWND& {
    return controls_[static_cast<std::size_t>(control)];
  };

  // Input page.
  HWND input = pages_[0] = make.Page(pageControl_, kTabSheetInputId, display);
  const wchar_t* inputLabels[] = {L"Device", L"Port", L"Volume", L"Monitor"};
  const int inputLabelTops[] = {52, 92, 146, 223};
  for (int i = 0; i < 4; ++i) make.Label(input, inputLabels[i], 72, inputLabelTops[i]);
  controlAt(FormControl::ComboBoxDevice) =
      make.DropDownList(input, FormControl::ComboBoxDevice, 144, 48, 225, 20);
  SendMessageW(controlAt(FormControl::ComboBoxDevice), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(L"Not selected"));  // replaced at start
  controlAt(FormControl::ComboBoxPort) =
      make.DropDownList(input, FormControl::ComboBoxPort, 144, 88, 225, 20);
  HWND slider = controlAt(FormControl::SliderVolume) =
      make.Make(input, TRACKBAR_CLASSW, nullptr, kSliderStyle | WS_TABSTOP,
                ControlId(FormControl::SliderVolume), 137, 134, 239, 45);
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageW(slider, TBM_SETRANGEMAX, FALSE, 65535);
  SendMessageW(slider, TBM_SETTICFREQ, 4096, 0);
  SendMessageW(slider, TBM_SETTHUMBLENGTH, 18, 0);
  SendMessageW(slider, TBM_SETPOS, TRUE, 32768);
  sliderPosition_ = 32768;
  // A black panel with a lowered bevel: the bevel is its one-pixel sunken edge, so the
  // paint box at 1, 1 of the panel sits at 0, 0 of the panel's client area.
  HWND panel = make.Make(input, kPanelClass, nullptr, 0, kPanelId, 144, 207, 225, 49, WS_EX_STATICEDGE);
  monitor_ = std::make_unique<MonitorBox>(instance_, panel, ControlId(FormControl::PaintBox), 0, 0,
                                          223, 47);
  controlAt(FormControl::PaintBox) = monitor_->Handle();
  controlAt(FormControl::ButtonStart) = make.Button(input, L"Start", BS_PUSHBUTTON,
                                                    ControlId(FormControl::ButtonStart), 144, 292, 89, 20);
  controlAt(FormControl::CheckBoxAutoStart) =
      make.Button(input, L"Automatically start input", BS_AUTOCHECKBOX,
                  ControlId(FormControl::CheckBoxAutoStart), 256, 294, 169, 17);

  // TX page.
  HWND tx = pages_[1] = make.Page(pageControl_, kTabSheetTXId, display);
  make.Label(tx, L"TX Type", 32, 43);
  HWND mode = controlAt(FormControl::ComboBoxMode) =
      make.DropDownList(tx, FormControl::ComboBoxMode, 88, 40, 209, 20);
  for (const SignalFormat& format : TrayFormats()) {
    SendMessageW(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(format.caption).c_str()));
  }
  SendMessageW(mode, CB_SETCURSEL, 0, 0);
  for (int i = 0; i < 8; ++i) {
    make.Label(tx, Numbered(L"Ch.", i + 1), 32, 115 + 24 * i);
    const FormControl bar = TFormCorvane::kChannelBars[i];
    controlAt(bar) = make.Make(tx, PROGRESS_CLASSW, nullptr, PBS_SMOOTH, ControlId(bar), 88,
                               112 + 24 * i, 308, 16);
    SendMessageW(controlAt(bar), PBM_SETRANGE32, 0, 1024);
  }

  // Mapping page. Each control's place in kMapControls is the byte of the map it edits.
  HWND mapping = pages_[2] = make.Page(pageControl_, kTabSheetMapId, display);
  const wchar_t* mapLabels[] = {L"Axis 1", L"Axis 2", L"Axis 3", L"Axis 4",
                                L"Axis 5", L"Axis 6", L"Button 1", L"Button 2"};
  for (int i = 0; i < 8; ++i) {
    make.Label(mapping, mapLabels[i], 72, 51 + 32 * i);
    const FormControl box = TFormCorvane::kMapControls[i];
    controlAt(box) = make.DropDownList(mapping, box, 152, 48 + 32 * i, 145, 20);
  }
  // No size is given for these two: the toolkit's default size of a check box.
  const int advancedTops[] = {243, 275};
  for (int i = 0; i < 2; ++i) {
    const FormControl box = TFormCorvane::kMapControls[8 + i];
    controlAt(box) = make.Button(mapping, L"Advanced", BS_AUTOCHECKBOX, ControlId(box), 312,
                                 advancedTops[i], 97, 17);
  }
  ShowPage(0);

  // Window buttons, after the pages in the Tab order.
  buttonOK_ = make.Button(window_, L"OK", BS_DEFPUSHBUTTON, kButtonOKId, 184, 392, 89, 20);
  buttonCancel_ = make.Button(window_, L"Cancel", BS_PUSHBUTTON, kButtonCancelId, 280, 392, 89, 20);
  buttonApply_ = make.Button(window_, L"Apply(&A)", BS_PUSHBUTTON, kButtonApplyId, 376, 392, 89, 20);
}

}  // namespace corvane
