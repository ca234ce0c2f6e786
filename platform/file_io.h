#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::platform {

// Whole-file reads and writes. Reads stop at `limit` bytes and give nullopt
// when the file cannot be opened.
std::optional<std::string> readFile(const std::filesystem::path& path,
                                    std::size_t limit = std::size_t{64} << 20);

// Writes through a temporary file in the same folder and renames it over the
// target, so a crash never leaves a half-written file. Returns false on
// failure (the target is then unchanged).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Removes the temporary files of writeFileAtomically for `path` that a write
// cut short (the process killed between writing and renaming) left beside
// it. Other files are not touched.
void removeLeftoverTemporaries(const std::filesystem::path& path);

}  // namespace lanzhou::platform
