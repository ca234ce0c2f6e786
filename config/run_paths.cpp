#include "config/run_paths.h"

#include "config/config_keys.h"

namespace lanzhou::config {

std::string resolveRunPath(std::string_view runDirectory, std::string_view value) {
    if (!value.empty() && value.front() == '\\') {
        std::string path(runDirectory);
        path.append(value);
        return path;
    }
    return std::string(value);
}

std::filesystem::path configFilePath(const std::filesystem::path& runDirectory) {
    return runDirectory / kFileName;
}

}  // namespace lanzhou::config
