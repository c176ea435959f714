// Test signals made by the signal generator tool, as a user would make them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::systest {

// Runs SIGGEN with ARGS (raw output is added) and returns the samples it wrote.
// Throws std::runtime_error when it fails.
std::vector<std::int16_t> GenerateSignal(const std::string& siggen, const std::vector<std::string>& args);

// Writes COUNT samples to FD whole, however many writes a pipe takes; false when one fails.
bool WriteSamples(int fd, const std::int16_t* samples, std::size_t count);

// "a,b,c" for the generator's lists.
template <typename Values>
std::string CommaList(const Values& values) {
  std::string list;
  for (const auto value : values) list += (list.empty() ? "" : ",") + std::to_string(value);
  return list;
}

}  // namespace corvane::systest
