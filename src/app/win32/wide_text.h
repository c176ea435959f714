#pragma once
// The window's texts are UTF-8; the Unicode window functions take UTF-16.

#include <string>
#include <string_view>

namespace corvane {

// UTF-16 of `utf8`; an invalid sequence becomes U+FFFD.
std::wstring Widen(std::string_view utf8);

}  // namespace corvane
