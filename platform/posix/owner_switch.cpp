#include "platform/owner_switch.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace lanzhou::platform {
namespace {

// The file's status, else its folder's; false when both are missing.
bool ownerOf(const std::filesystem::path& file, struct stat& status) {
    if (::stat(file.c_str(), &status) == 0) {
        return true;
    }
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    return ::stat(folder.c_str(), &status) == 0;
}

OwnerSwitch failed(std::string what) {
    return {false, {}, std::move(what)};
}

OwnerSwitch systemError(const char* call) {
    return failed(std::string(call) + ": " + std::strerror(errno));
}

}  // namespace

OwnerSwitch becomeOwnerOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::geteuid() != 0 || !ownerOf(file, status) || status.st_uid == 0) {
        return OwnerSwitch{};
    }
    OwnerSwitch result;
    result.switched = true;
    result.user = std::to_string(status.st_uid);
    gid_t group = status.st_gid;
    // The user's own group when the system knows the user, as a service
    // running as that user would have it.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(status.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr) {
        group = entry.pw_gid;
        result.user = entry.pw_name;
    }
    // The group first: once the user id is changed, it can no longer be.
    if (::setgroups(0, nullptr) != 0) {
        return systemError("setgroups");
    }
    if (::setgid(group) != 0) {
        return systemError("setgid");
    }
    if (::setuid(status.st_uid) != 0) {
        return systemError("setuid");
    }
    // A setuid that left a way back to root would defeat the purpose.
    if (::geteuid() != status.st_uid || ::getuid() != status.st_uid || ::setuid(0) == 0) {
        return failed("setuid: still able to act as root");
    }
    return result;
}

}  // namespace lanzhou::platform
