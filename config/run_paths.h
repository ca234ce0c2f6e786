#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lanzhou::config {

// The run directory's folders of icons and skin pictures, and of sounds.
inline constexpr std::string_view kIconFolder = "ico";
inline constexpr std::string_view kMusicFolder = "music";

// A configured path: a value starting with "\" is relative to the run
// directory (GBK path text, no trailing separator); anything else is used as
// it stands.
std::string resolveRunPath(std::string_view runDirectory, std::string_view value);

// k_config.ini in the run directory.
std::filesystem::path configFilePath(const std::filesystem::path& runDirectory);

}  // namespace lanzhou::config
