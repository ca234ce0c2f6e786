#include "platform/desktop_open.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/detached_start.h"
#include "platform/gbk.h"

namespace lanzhou::platform {

namespace {

// The first executable file of this name in a folder of PATH.
std::optional<std::filesystem::path> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return std::nullopt;
    }
    const std::string_view folders(path);
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string_view folder = folders.substr(start, end - start);
        start = end + 1;
        if (folder.empty()) {
            continue;  // the current directory is not searched
        }
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

bool openWithDesktop(std::string_view gbkText) {
    const std::optional<std::filesystem::path> opener = findOnPath("xdg-open");
    if (!opener) {
        return false;
    }
    return startDetached(*opener, {utf8FromGbk(gbkText)}).has_value();
}

}  // namespace lanzhou::platform
