#include "windows_error.h"

#include <cstdio>

namespace corvane::driver {

std::string WindowsText(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result;
  if (length > 0 && text != nullptr) result.assign(text, length);
  LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' || result.back() == '.')) {
    result.pop_back();
  }
  if (result.empty()) {
    char code[32];
    std::snprintf(code, sizeof code, "error 0x%08lx", static_cast<unsigned long>(error));
    result = code;
  }
  return result;
}

std::string StepFailed(const std::string& step, DWORD error) {
  return step + " failed: " + WindowsText(error) + " (error " + std::to_string(error) + ")";
}

std::string StepFailed(const std::string& step) { return StepFailed(step, GetLastError()); }

}  // namespace corvane::driver
