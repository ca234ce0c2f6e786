#pragma once

#include <string>
#include <string_view>

#include "platform/gbk.h"

namespace lanzhou::test {

// Test sources are UTF-8; the client's texts are GBK. G("账号") is the GBK
// form of a literal.
inline std::string G(std::string_view utf8) { return platform::gbkFromUtf8(utf8); }

}  // namespace lanzhou::test
