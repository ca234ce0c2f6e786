#include "platform/run_directory.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/process_list.h"
#include "protocol/lenient_int.h"

namespace lanzhou::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kMaxSeedFileSize = std::uintmax_t{64} << 20;
constexpr int kMaxSeedEntries = 10'000;
constexpr std::size_t kMaxVersionFile = 4096;

// An environment variable that names an absolute folder, or an empty path.
fs::path folderFromEnvironment(const char* name) {
#ifdef _WIN32
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wideName.c_str());
    const fs::path folder = value != nullptr ? fs::path(value) : fs::path();
#else
    const char* value = std::getenv(name);
    const fs::path folder = value != nullptr ? fs::path(value) : fs::path();
#endif
    return folder.is_absolute() ? folder : fs::path();
}

fs::path perUserFolder() {
#ifdef _WIN32
    fs::path base = folderFromEnvironment("LOCALAPPDATA");
    if (base.empty()) {
        const fs::path profile = folderFromEnvironment("USERPROFILE");
        if (!profile.empty()) {
            base = profile / "AppData" / "Local";
        }
    }
#else
    fs::path base = folderFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const fs::path home = folderFromEnvironment("HOME");
        if (!home.empty()) {
            base = home / ".local" / "share";
        }
    }
#endif
    return base.empty() ? fs::path() : base / "lanzhou";
}

std::int32_t versionOf(const std::optional<std::string>& text) {
    return text ? protocol::versionNumber(*text) : 0;
}

// Copies `from` unless `to` exists; a version file is replaced when it holds
// an older number.
void copyMissingFile(const fs::path& from, const fs::path& to, bool versionFile) {
    std::error_code error;
    if (fs::file_size(from, error) > kMaxSeedFileSize || error) {
        return;
    }
    if (fs::exists(to, error)) {
        if (versionFile) {
            const auto seeded = readFile(from, kMaxVersionFile);
            if (seeded && versionOf(seeded) > versionOf(readFile(to, kMaxVersionFile))) {
                writeFileAtomically(to, *seeded);
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
    places.perUserDirectory = perUserFolder();
    if (places.programDirectory.filename() == "bin") {
        places.packageData = places.programDirectory.parent_path() / "share" / "lanzhou";
    }
    return places;
}

fs::path prepareRunDirectory(const RunDirectoryPlaces& places) {
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
        seedRunDirectory(places.packageData, places.perUserDirectory);
    }
    return places.perUserDirectory;
}

fs::path runDirectory() {
    return prepareRunDirectory(runDirectoryPlaces());
}

void seedRunDirectory(const fs::path& seed, const fs::path& target) {
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
            copyMissingFile(it->path(), destination, relative == fs::path("ver.txt"));
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
