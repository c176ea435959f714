#pragma once
// The properties the fuzz targets check, as plain functions: the libFuzzer entry points
// call them, and the unit tests replay the seed corpora and the inputs that once failed
// through them in the normal build.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace corvane::fuzz {

// Each returns nullptr when every property holds for the input, else the one that failed.
const char* CheckDecodePath(const std::uint8_t* data, std::size_t size);
const char* CheckWavReader(const std::uint8_t* data, std::size_t size);
const char* CheckUinputRequest(const std::uint8_t* data, std::size_t size);
const char* CheckRegFile(const std::uint8_t* data, std::size_t size);

// For the fuzz targets: a failed property is a crash, so libFuzzer keeps the input.
inline int AbortOnFailure(const char* failure) {
  if (failure == nullptr) return 0;
  std::fprintf(stderr, "property failed: %s\n", failure);
  std::abort();
}

}  // namespace corvane::fuzz
