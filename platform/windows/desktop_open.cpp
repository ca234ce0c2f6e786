#include "platform/desktop_open.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <shellapi.h>
// clang-format on

#include <string>

namespace lanzhou::platform {

bool openWithDesktop(std::string_view gbkText) {
    const std::string text(gbkText);
    // The text's bytes are the ANSI code page's: the shell gets them as they are.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, nullptr, text.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace lanzhou::platform
