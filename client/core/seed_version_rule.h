#pragma once

#include <filesystem>

namespace lanzhou::core {

// Seeding an installed package's per-user run directory keeps every file the
// member already has except ver.txt: the package's replaces the member's when
// it holds a greater version number (an upgraded package brings a newer
// client, and an older number would offer the update the package already
// made). A member's ver.txt that is missing or not a number counts as 0; a
// package ver.txt that cannot be read replaces nothing. `relative` is the
// file's path inside the package data; the rule of platform::seedRunDirectory.
bool seedReplacesMembersFile(const std::filesystem::path& relative,
                             const std::filesystem::path& packageFile,
                             const std::filesystem::path& memberFile);

}  // namespace lanzhou::core
