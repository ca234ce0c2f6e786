#pragma once

#include <filesystem>
#include <string>

namespace lanzhou::platform {

// Whom this process became to work on a file of another user.
struct OwnerSwitch {
    bool switched = false;  // false: nothing was changed
    std::string user;       // the user it became (its name, or its number)
    std::string error;      // why a needed switch failed; empty when none did
};

// When this process runs as root and `file` belongs to another user, or,
// while the file does not exist yet, the folder that is to hold it does,
// makes the whole process that user for good: its primary group, no
// supplementary groups, then its user id. So files that root would make
// beside it (an SQLite database's -wal, -shm and -journal) belong to the
// user whose program opens them next. Nothing happens for anyone but root,
// for a file of root's, or where the file and its folder are both missing;
// nothing happens at all on Windows. An error when the switch was needed
// but failed: going on as root would do the harm this prevents.
OwnerSwitch becomeOwnerOf(const std::filesystem::path& file);

}  // namespace lanzhou::platform
