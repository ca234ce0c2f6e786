#include "platform/user_data_folder.h"

#include <cstdlib>

namespace lanzhou::platform {

namespace fs = std::filesystem;

namespace {

// An environment variable that names an absolute folder, or an empty path.
fs::path folderFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    const fs::path folder = value != nullptr ? fs::path(value) : fs::path();
    return folder.is_absolute() ? folder : fs::path();
}

}  // namespace

fs::path userDataFolder() {
    fs::path base = folderFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const fs::path home = folderFromEnvironment("HOME");
        if (!home.empty()) {
            base = home / ".local" / "share";
        }
    }
    return base;
}

}  // namespace lanzhou::platform
