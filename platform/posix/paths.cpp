#include "platform/paths.h"

#include <system_error>

namespace lanzhou::platform {

std::filesystem::path executablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return path;
}

}  // namespace lanzhou::platform
