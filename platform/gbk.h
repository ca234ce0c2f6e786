#pragma once

#include <string>
#include <string_view>

namespace lanzhou::platform {

// Conversions between UTF-8 and GBK (code page 936). They never fail:
// characters GBK cannot hold become "?", byte sequences that are not valid
// input become U+FFFD (to UTF-8) or "?" (to GBK).
std::string gbkFromUtf8(std::string_view utf8);
std::string utf8FromGbk(std::string_view gbk);

}  // namespace lanzhou::platform
