// The property window's pages and controls, made by walking kFormLayout
// (app/form_layout.h) in its order; what a kind of control needs beyond its row is set
// here.

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
constexpr DWORD kTrackBarStyle = TBS_HORZ | TBS_BOTH | TBS_AUTOTICKS | TBS_FIXEDLENGTH | TBS_ENABLESELRANGE;
constexpr DWORD kSliderStyle = kTrackBarStyle & ~static_cast<DWORD>(TBS_ENABLESELRANGE);

// A drop-down list shows up to eight items; the height given to the control is its closed
// height plus the list's.
constexpr int kDropDownItems = 8;

// The toolkit's default size of a check box, for a row that gives none.
constexpr int kCheckBoxWidth = 97;
constexpr int kCheckBoxHeight = 17;

class ControlMaker {
 public:
  ControlMaker(HINSTANCE instance, HFONT font) : instance_(instance), font_(font) {}

  HWND Make(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
            const ControlPlace& place, DWORD exStyle = 0) const {
    HWND control = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, place.left,
                                   place.top, place.width, place.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  }

  // A label takes the size of its text, as an auto-sized label does.
  HWND Label(HWND parent, const std::wstring& text, const ControlPlace& place) const {
    HDC screen = GetDC(nullptr);
    HGDIOBJ before = SelectObject(screen, font_);
    RECT extent{0, 0, 0, 0};
    DrawTextW(screen, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    return Make(parent, WC_STATICW, text.c_str(), SS_LEFT | SS_NOPREFIX, kLabelId,
                {place.left, place.top, extent.right, extent.bottom});
  }

  HWND DropDownList(HWND parent, int id, const ControlPlace& place) const {
    HWND control = Make(parent, WC_COMBOBOXW, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, id, place);
    const int itemHeight = static_cast<int>(SendMessageW(control, CB_GETITEMHEIGHT, 0, 0));
    RECT closed;
    GetWindowRect(control, &closed);
    MoveWindow(control, place.left, place.top, place.width,
               (closed.bottom - closed.top) + kDropDownItems * itemHeight + 2, FALSE);
    return control;
  }

  HWND Slider(HWND parent, int id, const ControlPlace& place) const {
    HWND slider = Make(parent, TRACKBAR_CLASSW, nullptr, kSliderStyle | WS_TABSTOP, id, place);
    SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(slider, TBM_SETRANGEMAX, FALSE, 65535);
    SendMessageW(slider, TBM_SETTICFREQ, 4096, 0);
    SendMessageW(slider, TBM_SETTHUMBLENGTH, 18, 0);
    SendMessageW(slider, TBM_SETPOS, TRUE, 32768);
    return slider;
  }

  HWND Page(HWND pageControl, int id, const RECT& area) const {
    return Make(pageControl, kPageClass, nullptr, WS_CLIPSIBLINGS, id,
                {area.left, area.top, area.right - area.left, area.bottom - area.top}, WS_EX_CONTROLPARENT);
  }

 private:
  HINSTANCE instance_;
  HFONT font_;
};

void AddListItem(HWND list, const std::wstring& text) {
  SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The page control's tabs, one for each of its pages, and the display area they leave.
RECT AddTabs(HWND pageControl, const ControlLayout& row) {
  int index = 0;
  for (const ControlLayout& page : kFormLayout) {
    if (page.kind != ControlKind::kPage || page.parent != row.name) continue;
    const std::wstring caption = Widen(page.text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(pageControl, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
  }
  RECT display{0, 0, row.place.width, row.place.height};
  SendMessageW(pageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  return display;
}

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
  RECT display{};  // the page control's display area, for its pages
  std::size_t pages = 0;
  for (std::size_t i = 0; i < std::size(kFormLayout); ++i) {
    const ControlLayout& row = kFormLayout[i];
    HWND parent = row.parent.empty() ? window_ : rows_[RowIndex(*FindLayout(row.parent))];
    const int id = LayoutControlId(row);
    const ControlPlace& place = row.place;
    HWND control = nullptr;
    switch (row.kind) {
      case ControlKind::kPageControl:
        control = make.Make(parent, WC_TABCONTROLW, nullptr, WS_TABSTOP | WS_CLIPCHILDREN, id, place,
                            WS_EX_CONTROLPARENT);
        display = AddTabs(control, row);
        pageControl_ = control;
        break;
      case ControlKind::kPage:
        control = pages_.at(pages++) = make.Page(parent, id, display);
        break;
      case ControlKind::kLabel:
        control = make.Label(parent, Widen(row.text), place);
        break;
      case ControlKind::kDropDownList:
        control = make.DropDownList(parent, id, place);
        if (row.items == ListItems::kText) AddListItem(control, Widen(row.text));  // replaced at start
        if (row.items == ListItems::kTrayFormats) {
          for (const SignalFormat& format : TrayFormats()) AddListItem(control, Widen(format.caption));
          SendMessageW(control, CB_SETCURSEL, 0, 0);
        }
        break;
      case ControlKind::kSlider:
        control = make.Slider(parent, id, place);
        sliderPosition_ = 32768;
        break;
      case ControlKind::kPanel:
        // A black panel with a lowered bevel: the bevel is its one-pixel sunken edge.
        control = make.Make(parent, kPanelClass, nullptr, 0, id, place, WS_EX_STATICEDGE);
        break;
      case ControlKind::kPaintBox:
        // In its panel's client area, which begins inside the panel's one-pixel edge.
        monitor_ = std::make_unique<MonitorBox>(instance_, parent, id, place.left - 1, place.top - 1,
                                                place.width, place.height);
        control = monitor_->Handle();
        break;
      case ControlKind::kButton:
      case ControlKind::kDefaultButton:
        control = make.Make(
            parent, WC_BUTTONW, Widen(row.text).c_str(),
            (row.kind == ControlKind::kDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, id,
            place);
        break;
      case ControlKind::kCheckBox:
        control = make.Make(parent, WC_BUTTONW, Widen(row.text).c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, id,
                            {place.left, place.top, place.width != 0 ? place.width : kCheckBoxWidth,
                             place.width != 0 ? place.height : kCheckBoxHeight});
        break;
      case ControlKind::kProgressBar:
        control = make.Make(parent, PROGRESS_CLASSW, nullptr, PBS_SMOOTH, id, place);
        SendMessageW(control, PBM_SETRANGE32, 0, 1024);
        break;
    }
    rows_[i] = control;
  }
  buttonOK_ = Named("ButtonOK");
  buttonCancel_ = Named("ButtonCancel");
  buttonApply_ = Named("ButtonApply");
  ShowPage(0);
}

}  // namespace corvane
