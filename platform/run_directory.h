#pragma once

#include <filesystem>
#include <functional>

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

// Whether seeding replaces a file the target already has with the seed's:
// told the file's path relative to the seed, the seed's file and the
// target's. The caller's policy (which files the package keeps up to date).
using SeedReplaces =
    std::function<bool(const std::filesystem::path& relative, const std::filesystem::path& seedFile,
                       const std::filesystem::path& existingFile)>;

// The run directory: the program's directory when the program is not an
// installed package (no package data beside it) and that directory is
// writable, as a portable or development copy has it; otherwise the per-user
// folder, created on first use (private to the user) and seeded from the
// package data by seedRunDirectory with `replaces`. Falls back to the
// program's directory when the per-user folder cannot be made.
std::filesystem::path prepareRunDirectory(const RunDirectoryPlaces& places,
                                          const SeedReplaces& replaces = {});

// prepareRunDirectory(runDirectoryPlaces(), replaces).
std::filesystem::path runDirectory(const SeedReplaces& replaces = {});

// Copies into `target` the files and folders of `seed` it does not have yet;
// an existing file is kept unless `replaces` says otherwise (without a rule,
// every existing file is kept). Symbolic links and files above 64 MiB are
// not copied.
void seedRunDirectory(const std::filesystem::path& seed, const std::filesystem::path& target,
                      const SeedReplaces& replaces = {});

// True when a file can be created in `directory` (tried, then removed).
bool isWritableDirectory(const std::filesystem::path& directory);

}  // namespace lanzhou::platform
