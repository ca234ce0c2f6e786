#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "updater/core/entry_name.h"  // safeEntryName

namespace lanzhou::updater {

struct UnpackLimits {
    std::uint64_t maximumTotalBytes = std::uint64_t{4} << 30;  // all entries together
    std::size_t maximumEntries = 100'000;
};

// Unpacks the ZIP archive `archive` into `target` with minizip: folders are
// created, existing files overwritten. Every entry name is checked before
// anything is written, so an archive with one unsafe entry writes nothing.
// Each file is checked against its CRC, written beside its target under a
// temporary name and renamed over it, so a failed entry leaves the old file.
// An archive without entries installs nothing and is not complete either.
// `progress` (0 to 100) is called as the work goes on. Names are taken as
// UTF-8 when the entry says so, else as GBK. Complete, or why not (UTF-8,
// for the member).
Result<void> unpackArchive(const std::filesystem::path& archive,
                           const std::filesystem::path& target,
                           const std::function<void(int percent)>& progress = {},
                           const UnpackLimits& limits = {});

}  // namespace lanzhou::updater
