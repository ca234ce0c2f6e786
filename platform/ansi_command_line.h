#pragma once

#include <optional>
#include <string>

namespace lanzhou::platform {

// This process's command line as the system handed it over, in the system's
// ANSI code page (GBK on the client's systems), for programs that split it
// themselves. Windows only: elsewhere nullopt, because the program gets its
// arguments already split in argv.
std::optional<std::string> ansiCommandLine();

}  // namespace lanzhou::platform
