// Reads and drives the property window of a running corvane.exe from outside, as the
// Windows window tests need it: where a control is on the screen, what the controls show,
// a list item chosen or the slider moved as a user would, the text of an error box.
//
//   window_probe wait TITLE SECONDS         a visible window of that title appears
//   window_probe frame                      the property window: left top width height,
//                                           then its client area's width height
//   window_probe where ID                   screen x y of a control's centre
//   window_probe state                      one line per control: NAME VALUE
//   window_probe layout                     checks every control against the layout table
//                                           (app/form_layout.h); prints each difference
//   window_probe choose ID INDEX            chooses list item INDEX, as a click would
//   window_probe slide ID POSITION          drags the slider to POSITION
//   window_probe click ID                   clicks a button or check box
//   window_probe focus ID                   moves the keyboard focus to a control
//   window_probe menu ID                    sends the window a tray menu command
//   window_probe close                      asks the window to close, as its close box does
//   window_probe error SECONDS              waits for the error box "Corvane", prints its
//                                           text (UTF-8) and closes it with OK
//
// Exit status 0 on success, 1 when the condition did not come or the window is missing.

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_layout.h"
#include "app/win32/control_ids.h"
#include "decode/signal_formats.h"

namespace {

using corvane::ControlId;
using corvane::FormControl;

constexpr wchar_t kFormTitle[] = L"Corvane Propaties";

std::wstring Widen(std::string_view text) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

void PrintUtf8(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
  std::printf("%s\n", bytes.c_str());
}

std::wstring Text(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

HWND VisibleWindow(const wchar_t* title) {
  HWND window = FindWindowW(nullptr, title);
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// Polls every 20 ms until `done` holds or `seconds` have passed.
template <class Condition>
bool WaitFor(double seconds, Condition done) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
  return true;
}

HWND Form() {
  HWND form = FindWindowW(nullptr, kFormTitle);
  if (form == nullptr) {
    std::fprintf(stderr, "window_probe: no window \"Corvane Propaties\"\n");
    std::exit(1);
  }
  return form;
}

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

HWND Control(int id) {
  Search search{id, nullptr};
  EnumChildWindows(Form(), &MatchId, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    std::fprintf(stderr, "window_probe: no control %d\n", id);
    std::exit(1);
  }
  return search.found;
}

HWND Control(FormControl control) { return Control(ControlId(control)); }

// As a user's choice: the list shows the item, and the window hears CBN_SELCHANGE.
void Choose(int id, int index) {
  HWND list = Control(id);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// As a drag that ends at `position`.
void Slide(int id, int position) {
  HWND slider = Control(id);
  SendMessageW(slider, TBM_SETPOS, TRUE, position);
  SendMessageW(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
               reinterpret_cast<LPARAM>(slider));
  SendMessageW(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
}

void PrintState() {
  const struct {
    const char* name;
    FormControl control;
  } lists[] = {{"ComboBoxDevice", FormControl::ComboBoxDevice},
               {"ComboBoxPort", FormControl::ComboBoxPort},
               {"ComboBoxMode", FormControl::ComboBoxMode}};
  auto printList = [](const std::string& name, FormControl control) {
    HWND box = Control(control);
    std::printf("%s %d of %d\n", name.c_str(), static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0)),
                static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0)));
  };
  for (const auto& list : lists) printList(list.name, list.control);
  for (int i = 0; i < 8; ++i) {
    printList("MapBox" + std::to_string(i + 1),
              static_cast<FormControl>(static_cast<int>(FormControl::MapBox1) + i));
  }
  std::printf("SliderVolume %d\n",
              static_cast<int>(SendMessageW(Control(FormControl::SliderVolume), TBM_GETPOS, 0, 0)));
  const struct {
    const char* name;
    FormControl control;
  } boxes[] = {{"CheckBoxAutoStart", FormControl::CheckBoxAutoStart},
               {"CheckBoxM1", FormControl::CheckBoxM1},
               {"CheckBoxM2", FormControl::CheckBoxM2}};
  for (const auto& box : boxes) {
    std::printf("%s %d\n", box.name,
                SendMessageW(Control(box.control), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
  }
  std::printf("ProgressBars");
  for (int i = 0; i < 8; ++i) {
    const auto bar = static_cast<FormControl>(static_cast<int>(FormControl::ProgressBar1) + i);
    std::printf(" %d", static_cast<int>(SendMessageW(Control(bar), PBM_GETPOS, 0, 0)));
  }
  std::printf("\n");
  std::printf("ButtonStart ");
  PrintUtf8(Text(Control(FormControl::ButtonStart)));
  std::printf("Visible %d\n", IsWindowVisible(Form()) ? 1 : 0);
}

// Every control of kFormLayout in the live window: its parent, its place counted from the
// parent's outer corner (the window's controls from its client area), its size where the
// row gives one (a list's width: Windows sizes its closed height to the font), its text
// and a TX Type list's items. Prints each difference; true when there is none.
// A tab's text in the window's own process: the tab control's messages carry pointers
// that are not carried over between processes, so they point into memory lent there.
std::wstring TabText(HWND tabs, int index) {
  struct Exchange {
    TCITEMW item;
    wchar_t text[64];
  };
  DWORD id = 0;
  GetWindowThreadProcessId(tabs, &id);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
  if (process == nullptr) return L"";
  void* remote = VirtualAllocEx(process, nullptr, sizeof(Exchange), MEM_COMMIT, PAGE_READWRITE);
  std::wstring text;
  if (remote != nullptr) {
    Exchange exchange{};
    exchange.item.mask = TCIF_TEXT;
    exchange.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + offsetof(Exchange, text));
    exchange.item.cchTextMax = 64;
    WriteProcessMemory(process, remote, &exchange, sizeof exchange, nullptr);
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &exchange, sizeof exchange, nullptr);
    // The control may point pszText at its own copy instead of filling the buffer.
    wchar_t copy[64] = {};
    if (ReadProcessMemory(process, exchange.item.pszText, copy, sizeof copy - sizeof copy[0], nullptr))
      text = copy;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

HWND LabelIn(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == corvane::kLabelId && Text(child) == text) return child;
  }
  return nullptr;
}

bool CheckLayout() {
  using corvane::ControlKind;
  using corvane::ControlLayout;
  HWND form = Form();
  int differences = 0;
  auto differ = [&](const ControlLayout& row, const std::string& what) {
    std::printf("%.*s: %s\n", static_cast<int>(row.name.size()), row.name.data(), what.c_str());
    ++differences;
  };
  auto windowOf = [&](const ControlLayout& row) -> HWND {
    if (row.kind == ControlKind::kLabel)
      return LabelIn(Control(corvane::LayoutControlId(*corvane::FindLayout(row.parent))), Widen(row.text));
    return Control(corvane::LayoutControlId(row));
  };
  int page = 0;
  for (const ControlLayout& row : corvane::kFormLayout) {
    HWND control = windowOf(row);
    if (control == nullptr) {
      differ(row, "missing");
      continue;
    }
    HWND parent = row.parent.empty() ? form : windowOf(*corvane::FindLayout(row.parent));
    if (GetParent(control) != parent) differ(row, "not a child of " + std::string(row.parent));
    if (row.kind == ControlKind::kPage) {
      if (TabText(parent, page++) != Widen(row.text)) differ(row, "another tab text");
      continue;
    }
    RECT outer, origin;
    GetWindowRect(control, &outer);
    if (parent == form) {
      POINT client{0, 0};
      ClientToScreen(form, &client);
      origin = {client.x, client.y, 0, 0};
    } else {
      GetWindowRect(parent, &origin);
    }
    const int left = outer.left - origin.left, top = outer.top - origin.top;
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    const auto& place = row.place;
    if (left != place.left || top != place.top) {
      differ(row, "at " + std::to_string(left) + ", " + std::to_string(top));
    }
    const bool sized = row.kind != ControlKind::kLabel && place.width != 0;
    const bool heightSized = sized && row.kind != ControlKind::kDropDownList;
    if ((sized && width != place.width) || (heightSized && height != place.height)) {
      differ(row, "sized " + std::to_string(width) + " x " + std::to_string(height));
    }
    if (!row.text.empty() && row.kind != ControlKind::kDropDownList && Text(control) != Widen(row.text)) {
      differ(row, "another text");
    }
    if (row.items == corvane::ListItems::kTrayFormats) {
      std::vector<std::wstring> items;
      const int count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        wchar_t item[64] = {};
        SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
      }
      std::vector<std::wstring> formats;
      for (const corvane::SignalFormat& format : corvane::TrayFormats())
        formats.push_back(Widen(format.caption));
      if (items != formats) differ(row, "other items than the TX Type formats");
    }
  }
  if (differences == 0)
    std::printf("%d controls as laid out\n", static_cast<int>(std::size(corvane::kFormLayout)));
  return differences == 0;
}

struct ErrorBox {
  HWND found = nullptr;
};

// The error box: a dialog titled "Corvane" of this program's windows.
BOOL CALLBACK MatchErrorBox(HWND window, LPARAM context) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window) || Text(window) != L"Corvane") {
    return TRUE;
  }
  reinterpret_cast<ErrorBox*>(context)->found = window;
  return FALSE;
}

int Usage() {
  std::fprintf(
      stderr,
      "usage: window_probe wait|frame|where|state|layout|choose|slide|click|focus|menu|close|error ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  auto number = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
  if (command == "wait" && argc == 4) {
    const std::wstring title = Widen(argv[2]);
    return WaitFor(std::atof(argv[3]), [&] { return VisibleWindow(title.c_str()) != nullptr; }) ? 0 : 1;
  }
  if (command == "frame") {
    RECT frame, client;
    GetWindowRect(Form(), &frame);
    GetClientRect(Form(), &client);
    std::printf("%ld %ld %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top, client.right, client.bottom);
    return 0;
  }
  if (command == "where" && argc == 3) {
    RECT place;
    GetWindowRect(Control(number(2)), &place);
    std::printf("%ld %ld\n", (place.left + place.right) / 2, (place.top + place.bottom) / 2);
    return 0;
  }
  if (command == "state") {
    PrintState();
    return 0;
  }
  if (command == "layout") return CheckLayout() ? 0 : 1;
  if (command == "choose" && argc == 4) {
    Choose(number(2), number(3));
    return 0;
  }
  if (command == "slide" && argc == 4) {
    Slide(number(2), number(3));
    return 0;
  }
  if (command == "click" && argc == 3) {
    SendMessageW(Control(number(2)), BM_CLICK, 0, 0);
    return 0;
  }
  if (command == "focus" && argc == 3) {
    SendMessageW(Form(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(number(2))), TRUE);
    return 0;
  }
  if (command == "close") {
    PostMessageW(Form(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (command == "menu" && argc == 3) {
    PostMessageW(Form(), WM_COMMAND, MAKEWPARAM(number(2), 0), 0);
    return 0;
  }
  if (command == "error" && argc == 3) {
    ErrorBox box;
    if (!WaitFor(std::atof(argv[2]), [&] {
          EnumWindows(&MatchErrorBox, reinterpret_cast<LPARAM>(&box));
          return box.found != nullptr;
        })) {
      std::fprintf(stderr, "window_probe: no error box\n");
      return 1;
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(box.found, 0xFFFF, text, 512);  // the message box's text control
    PrintUtf8(text);
    PostMessageW(box.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
  }
  return Usage();
}
