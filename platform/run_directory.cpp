#include "platform/run_directory.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/process_list.h"
#include "platform/user_data_folder.h"

namespace lanzhou::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kMaxSeedFileSize = std::uintmax_t{64} << 20;
constexpr int kMaxSeedEntries = 10'000;

// Copies `from` unless `to` exists; an existing file is replaced with a
// copy when `replaces` says so.
void copyMissingFile(const fs::path& from, const fs::path& to, const fs::path& relative,
                     const SeedReplaces& replaces) {
    std::error_code error;
    if (fs::file_size(from, error) > kMaxSeedFileSize || error) {
        return;
    }
    if (fs::exists(to, error)) {
        if (replaces && replaces(relative, from, to)) {
            if (const auto bytes = readFile(from, static_cast<std::size_t>(kMaxSeedFileSize))) {
                writeFileAtomically(to, *bytes);
            }
        }
        return;
    }
    fs::copy_file(from, to, fs::copy_options::skip_existing, error);
}

}  // namespace

RunDirectoryPlaces runDirectoryPlaces() {
    RunDirectoryPlaces places;
    places.programDirectory = executableDirectory();
    const fs::path userData = userDataFolder();
    if (!userData.empty()) {
        places.perUserDirectory = userData / "lanzhou";
    }
    if (places.programDirectory.filename() == "bin") {
        places.packageData = places.programDirectory.parent_path() / "share" / "lanzhou";
    }
    return places;
}

fs::path prepareRunDirectory(const RunDirectoryPlaces& places, const SeedReplaces& replaces) {
    std::error_code error;
    const bool installed =
        !places.packageData.empty() && fs::is_directory(places.packageData, error);
    if (!installed && isWritableDirectory(places.programDirectory)) {
        return places.programDirectory;
    }
    if (places.perUserDirectory.empty()) {
        return places.programDirectory;
    }
    if (!fs::is_directory(places.perUserDirectory, error)) {
        fs::create_directories(places.perUserDirectory, error);
        if (error) {
            return places.programDirectory;
        }
        // Settings and remembered sign-in data are this user's alone.
        fs::permissions(places.perUserDirectory, fs::perms::owner_all, fs::perm_options::replace,
                        error);
    }
    if (installed) {
        seedRunDirectory(places.packageData, places.perUserDirectory, replaces);
    }
    return places.perUserDirectory;
}

fs::path runDirectory(const SeedReplaces& replaces) {
    return prepareRunDirectory(runDirectoryPlaces(), replaces);
}

void seedRunDirectory(const fs::path& seed, const fs::path& target, const SeedReplaces& replaces) {
    std::error_code error;
    fs::recursive_directory_iterator it(seed, error), end;
    int entries = 0;
    for (; !error && it != end && entries < kMaxSeedEntries; it.increment(error), ++entries) {
        const fs::path relative = it->path().lexically_relative(seed);
        const fs::path destination = target / relative;
        std::error_code entryError;
        const fs::file_status status = it->symlink_status(entryError);
        if (entryError || fs::is_symlink(status)) {
            if (fs::is_symlink(status)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (fs::is_directory(status)) {
            fs::create_directories(destination, entryError);
        } else if (fs::is_regular_file(status)) {
            copyMissingFile(it->path(), destination, relative, replaces);
        }
    }
}

bool isWritableDirectory(const fs::path& directory) {
    std::error_code error;
    if (directory.empty() || !fs::is_directory(directory, error)) {
        return false;
    }
    const fs::path probe =
        directory / (".lanzhou-write-test-" + std::to_string(currentProcessId()));
    bool written = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        written = static_cast<bool>(out);
    }
    fs::remove(probe, error);
    return written;
}

}  // namespace lanzhou::platform
