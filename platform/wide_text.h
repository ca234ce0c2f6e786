#pragma once

#include <string>
#include <string_view>

namespace lanzhou::platform {

// UTF-8 <-> UTF-16 for the wide Windows calls (only built on Windows).
// Invalid input gives replacement characters, never a failure.
std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

}  // namespace lanzhou::platform
