#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return corvane::fuzz::AbortOnFailure(corvane::fuzz::CheckUinputRequest(data, size));
}
