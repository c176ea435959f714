// Asks Windows what the setup test cannot read from Linux, and drives the setup's pages.
// Usage:
//   setup_probe version FILE     "PRODUCT|COMPANY|FILE_VERSION|ICONS", from the file's
//                                version information; ICONS is how many icons it holds
//   setup_probe shortcut LINK    the program that the shortcut LINK starts
//   setup_probe texts TITLE      the texts of the visible controls in the visible window
//                                whose title starts with TITLE (UTF-8, one a line, line
//                                breaks in a text as spaces)
//   setup_probe next TITLE       presses that window's default button ("Next", "Install",
//                                "Finish"), as Enter would

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  std::wstring path = L"\\StringFileInfo\\040904B0\\";
  path += name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) return L"?";
  return static_cast<const wchar_t*>(value);
}

int PrintVersion(const wchar_t* file) {
  const DWORD size = GetFileVersionInfoSizeW(file, nullptr);
  if (size == 0) {
    std::fwprintf(stderr, L"%ls: no version information (error %lu)\n", file, GetLastError());
    return 1;
  }
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(file, 0, size, block.data())) return 1;
  const UINT icons = ExtractIconExW(file, -1, nullptr, nullptr, 0);
  std::wprintf(L"%ls|%ls|%ls|%u\n", VersionString(block, L"ProductName").c_str(),
               VersionString(block, L"CompanyName").c_str(), VersionString(block, L"FileVersion").c_str(),
               icons);
  return 0;
}

int PrintShortcutTarget(const wchar_t* link) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IShellLinkW* shellLink = nullptr;
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH] = L"";
  const bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IShellLinkW, reinterpret_cast<void**>(&shellLink))) &&
                    SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                    SUCCEEDED(file->Load(link, STGM_READ)) &&
                    SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
  if (file != nullptr) file->Release();
  if (shellLink != nullptr) shellLink->Release();
  CoUninitialize();
  if (!read) {
    std::fwprintf(stderr, L"%ls: not a shortcut that can be read\n", link);
    return 1;
  }
  std::wprintf(L"%ls\n", target);
  return 0;
}

struct WindowSearch {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  wchar_t title[256] = L"";
  GetWindowTextW(window, title, 256);
  if (!IsWindowVisible(window) || std::wcsncmp(title, search->title, std::wcslen(search->title)) != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// The setup's pages change its title's end ("Corvane Setup", "Corvane Setup ").
HWND VisibleWindow(const wchar_t* titleStart) {
  WindowSearch search{titleStart, nullptr};
  EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK PrintControlText(HWND control, LPARAM) {
  if (!IsWindowVisible(control)) return TRUE;
  // WM_GETTEXT, unlike GetWindowText, reads the controls of another process.
  wchar_t text[4096] = L"";
  DWORD_PTR length = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &length);
  if (text[0] == L'\0') return TRUE;
  for (wchar_t* c = text; *c != L'\0'; ++c) {
    if (*c == L'\r' || *c == L'\n') *c = L' ';
  }
  char utf8[3 * 4096];
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("%s\n", utf8);
  return TRUE;
}

int PrintTexts(const wchar_t* title) {
  const HWND window = VisibleWindow(title);
  if (window == nullptr) return 1;
  EnumChildWindows(window, &PrintControlText, 0);
  return 0;
}

int PressDefaultButton(const wchar_t* title) {
  const HWND window = VisibleWindow(title);
  const HWND button = window != nullptr ? GetDlgItem(window, IDOK) : nullptr;
  if (button == nullptr || !IsWindowEnabled(button)) return 1;
  PostMessageW(button, BM_CLICK, 0, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"version") == 0) return PrintVersion(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"shortcut") == 0) return PrintShortcutTarget(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"texts") == 0) return PrintTexts(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"next") == 0) return PressDefaultButton(argv[2]);
  std::fwprintf(stderr, L"usage: setup_probe version FILE | shortcut LINK | texts TITLE | next TITLE\n");
  return 2;
}
