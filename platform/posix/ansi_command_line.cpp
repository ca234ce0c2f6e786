#include "platform/ansi_command_line.h"

namespace lanzhou::platform {

std::optional<std::string> ansiCommandLine() {
    return std::nullopt;
}

}  // namespace lanzhou::platform
