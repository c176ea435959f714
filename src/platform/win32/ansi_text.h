#pragma once
// The A functions give their texts in the system's ANSI code page (Shift-JIS on a
// Japanese system); the program's texts are UTF-8.

#include <cstddef>
#include <string>

namespace corvane {

// UTF-8 of the first `size` bytes of `text`, read in the ANSI code page.
std::string AnsiToUtf8(const char* text, std::size_t size);

// A fixed-size text of a system record, up to its terminating zero or its end.
template <std::size_t N>
std::string AnsiToUtf8(const char (&text)[N]) {
  std::size_t size = 0;
  while (size < N && text[size] != '\0') ++size;
  return AnsiToUtf8(text, size);
}

}  // namespace corvane
