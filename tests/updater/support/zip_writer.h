#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lanzhou::test {

// One entry of a test archive.
struct ZipEntry {
    std::string name;  // the bytes stored as its name; ending in "/" for a folder
    std::string bytes;
    bool utf8Name = false;  // marks the name as UTF-8 (general purpose bit 11)
    bool stored = false;    // kept uncompressed (its bytes stay findable in the file)
};

// Writes a ZIP archive with minizip's zip.h; false when it could not.
bool writeZip(const std::filesystem::path& archive, const std::vector<ZipEntry>& entries);

}  // namespace lanzhou::test
