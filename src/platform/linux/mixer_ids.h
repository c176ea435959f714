#pragma once
// Line and control ids of the Linux mixers: an id is the place of its key in the table of
// those handed out, so the same key keeps its id for as long as the mixer device lives.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corvane {

template <typename Key>
std::int32_t IdIn(std::vector<Key>& table, const Key& key) {
  const auto it = std::find(table.begin(), table.end(), key);
  if (it != table.end()) return static_cast<std::int32_t>(it - table.begin());
  table.push_back(key);
  return static_cast<std::int32_t>(table.size() - 1);
}

// The key of id `id`, or nullptr when no such id was handed out.
template <typename Key>
const Key* KeyOf(const std::vector<Key>& table, std::int32_t id) {
  if (id < 0 || static_cast<std::size_t>(id) >= table.size()) return nullptr;
  return &table[static_cast<std::size_t>(id)];
}

}  // namespace corvane
