#include "platform/win32/ansi_text.h"

#include <windows.h>

namespace corvane {

std::string AnsiToUtf8(const char* text, std::size_t size) {
  if (size == 0) return {};
  const int bytes = static_cast<int>(size);
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, bytes, wide.data(), wideLength);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace corvane
