#pragma once

#include <filesystem>

namespace lanzhou::platform {

// Where the client keeps k_config.ini, ver.txt, ico/ and music/.
struct RunDirectoryPlaces {
    std::filesystem::path programDirectory;  // the executable's directory
    std::filesystem::path perUserDirectory;  // this user's data folder for the client
    std::filesystem::path packageData;       // data an installed package ships (may be absent)
};

// The places of the running program: its directory; $XDG_DATA_HOME/lanzhou,
// else ~/.local/share/lanzhou (Windows: %LOCALAPPDATA%\lanzhou); and the
// package's share/lanzhou beside the program's bin folder.
RunDirectoryPlaces runDirectoryPlaces();

// The run directory: the program's directory when the program is not an
// installed package (no package data beside it) and that directory is
// writable, as a portable or development copy has it; otherwise the per-user
// folder, created on first use (private to the user) and seeded from the
// package data. Falls back to the program's directory when the per-user
// folder cannot be made.
std::filesystem::path prepareRunDirectory(const RunDirectoryPlaces& places);

// prepareRunDirectory(runDirectoryPlaces()).
std::filesystem::path runDirectory();

// Copies into `target` the files and folders of `seed` it does not have yet;
// existing files are kept, except that a ver.txt holding an older version
// number than the seed's is replaced (an upgraded package brings a newer
// client, and an older number would offer the update the package already
// made). Symbolic links and files above 64 MiB are not copied.
void seedRunDirectory(const std::filesystem::path& seed, const std::filesystem::path& target);

// True when a file can be created in `directory` (tried, then removed).
bool isWritableDirectory(const std::filesystem::path& directory);

}  // namespace lanzhou::platform
