#include "printed_positions.h"

#include <cstdio>

namespace corvane::systest {

std::optional<Positions> PrintedPositions(const std::string& line) {
  const std::string key = "\"positions\": [";
  const auto at = line.find(key);
  if (at == std::string::npos) return std::nullopt;
  Positions p{};
  const int read = std::sscanf(line.c_str() + at + key.size(), "%d, %d, %d, %d, %d, %d, %d, %d,", &p[0], &p[1],
                               &p[2], &p[3], &p[4], &p[5], &p[6], &p[7]);
  if (read != 8) return std::nullopt;
  return p;
}

bool EachChannelIn(const Positions& printed, const std::array<std::set<int>, 8>& possible) {
  for (std::size_t channel = 0; channel < 8; ++channel) {
    if (!possible[channel].contains(printed[channel])) return false;
  }
  return true;
}

}  // namespace corvane::systest
