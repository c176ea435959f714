#pragma once
// Texts in the tool's JSON lines.

#include <string>

namespace corvane::tool {

// TEXT as a JSON string: quoted, with quotes, backslashes and control characters escaped;
// other bytes (UTF-8 included) as they are.
std::string JsonString(const std::string& text);

}  // namespace corvane::tool
