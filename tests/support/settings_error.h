#pragma once
// What a settings error says: the text of the SettingsError ACTION raises, or "" when it
// raises none.

#include <string>

#include "app/registry.h"

namespace corvane {

inline std::string ErrorOf(auto&& action) {
  try {
    action();
  } catch (const SettingsError& e) {
    return e.what();
  }
  return "";
}

}  // namespace corvane
