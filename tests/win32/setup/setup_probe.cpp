// Asks Windows what the setup test cannot read from Linux. Usage:
//   setup_probe version FILE     "PRODUCT|COMPANY|FILE_VERSION|ICONS", from the file's
//                                version information; ICONS is how many icons it holds
//   setup_probe shortcut LINK    the program that the shortcut LINK starts

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
               VersionString(block, L"CompanyName").c_str(),
               VersionString(block, L"FileVersion").c_str(), icons);
  return 0;
}

int PrintShortcutTarget(const wchar_t* link) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IShellLinkW* shellLink = nullptr;
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH] = L"";
  const bool read =
      SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shellLink))) &&
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"version") == 0) return PrintVersion(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"shortcut") == 0) return PrintShortcutTarget(argv[2]);
  std::fwprintf(stderr, L"usage: setup_probe version FILE | shortcut LINK\n");
  return 2;
}
