#pragma once
// Standard input and output carry samples as bytes: on Windows they start in text mode,
// which would turn line ends into two bytes and stop reading at a byte 26.

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace corvane::wav {

inline void UseBinaryMode([[maybe_unused]] std::FILE* stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#endif
}

}  // namespace corvane::wav
