#include "platform/ansi_command_line.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lanzhou::platform {

std::optional<std::string> ansiCommandLine() {
#ifdef _WIN32
    const char* line = GetCommandLineA();
    return std::string(line != nullptr ? line : "");
#else
    return std::nullopt;
#endif
}

}  // namespace lanzhou::platform
