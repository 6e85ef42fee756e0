#pragma once

#include <string>
#include <string_view>

namespace lupe::win32 {

// The program's UTF-8 texts as the UTF-16 the wide API takes; a byte that
// is not UTF-8 becomes U+FFFD rather than cutting the text short.
std::wstring widen(std::string_view utf8);

}  // namespace lupe::win32
