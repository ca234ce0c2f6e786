#include "platform/ansi_command_line.h"

#include "platform/windows/prelude.h"

namespace lanzhou::platform {

std::optional<std::string> ansiCommandLine() {
    const char* line = GetCommandLineA();
    return std::string(line != nullptr ? line : "");
}

}  // namespace lanzhou::platform
