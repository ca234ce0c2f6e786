#include "platform/user_data_folder.h"

#include <cstdlib>
#include <string>

namespace lanzhou::platform {

namespace fs = std::filesystem;

namespace {

// An environment variable that names an absolute folder, or an empty path.
// The wide form keeps characters outside the ANSI code page.
fs::path folderFromEnvironment(const char* name) {
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wideName.c_str());
    const fs::path folder = value != nullptr ? fs::path(value) : fs::path();
    return folder.is_absolute() ? folder : fs::path();
}

}  // namespace

fs::path userDataFolder() {
    fs::path base = folderFromEnvironment("LOCALAPPDATA");
    if (base.empty()) {
        const fs::path profile = folderFromEnvironment("USERPROFILE");
        if (!profile.empty()) {
            base = profile / "AppData" / "Local";
        }
    }
    return base;
}

}  // namespace lanzhou::platform
