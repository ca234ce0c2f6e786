#include "platform/environment_defaults.h"

#include <cstdlib>

#ifndef _WIN32
#include <unistd.h>

#include <filesystem>
#include <system_error>
#endif

namespace lanzhou::platform {

void applyEnvironmentDefaults(char** argv,
                              std::initializer_list<std::pair<const char*, const char*>> defaults) {
    bool missing = false;
    for (const auto& [name, value] : defaults) {
        const char* current = std::getenv(name);
        if (current != nullptr && *current != '\0') {
            continue;
        }
        missing = true;
#ifdef _WIN32
        _putenv_s(name, value);
#else
        ::setenv(name, value, 1);
#endif
    }
#ifndef _WIN32
    if (!missing || argv == nullptr || argv[0] == nullptr) {
        return;
    }
    // The program's own file (its name, not /proc's, so that the process
    // keeps its name in the process list).
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        ::execv(self.c_str(), argv);
    }
#else
    static_cast<void>(argv);
    static_cast<void>(missing);
#endif
}

}  // namespace lanzhou::platform
