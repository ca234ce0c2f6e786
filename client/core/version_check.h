#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::core {

// The number a version file (ver.txt) holds, read as the server's version
// is; nullopt when the file cannot be read.
std::optional<std::int32_t> readVersionFile(const std::filesystem::path& file);

// The local version: the whole of ver.txt in the run directory read as a
// version number; 0 when the file is missing, empty or not a number.
std::int32_t readLocalVersion(std::string_view runDirectory);

// Offered when the server's number is greater (signed comparison).
bool updateWanted(std::int32_t serverVersion, std::int32_t localVersion);

// The updater's command line: run directory + "\update.exe ", the version,
// a blank, the update argument, a blank and the client's file name.
std::string updaterCommandLine(std::string_view runDirectory, std::int32_t serverVersion,
                               std::string_view updateArgument, std::string_view clientFileName);

}  // namespace lanzhou::core
