#include "client/core/version_check.h"

#include "platform/file_io.h"
#include "platform/paths.h"
#include "protocol/lenient_int.h"

namespace lanzhou::core {
namespace {

// ver.txt holds one number; a few kilobytes are more than enough to read it.
constexpr std::size_t kVersionFileLimit = 4096;

}  // namespace

std::optional<std::int32_t> readVersionFile(const std::filesystem::path& file) {
    const auto bytes = platform::readFile(file, kVersionFileLimit);
    if (!bytes) {
        return std::nullopt;
    }
    return protocol::versionNumber(*bytes);
}

std::int32_t readLocalVersion(std::string_view runDirectory) {
    std::string path(runDirectory);
    path += "\\ver.txt";
    return readVersionFile(platform::pathFromGbk(path)).value_or(0);
}

bool updateWanted(std::int32_t serverVersion, std::int32_t localVersion) {
    return serverVersion > localVersion;
}

std::string updaterCommandLine(std::string_view runDirectory, std::int32_t serverVersion,
                               std::string_view updateArgument, std::string_view clientFileName) {
    std::string line(runDirectory);
    line += "\\update.exe ";
    line += std::to_string(serverVersion);
    line += ' ';
    line += updateArgument;
    line += ' ';
    line += clientFileName;
    return line;
}

}  // namespace lanzhou::core
