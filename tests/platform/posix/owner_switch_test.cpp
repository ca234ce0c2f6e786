// Becoming the owner of a database file: run by root, the process turns into
// the file's (or its folder's) user for good, with no way back; run by anyone
// else, or for a file of root's, nothing changes. Each case runs in a child
// process, since a switch cannot be undone.

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/owner_switch.h"
#include "tests/core/scratch_directory.h"

namespace lanzhou::platform {
namespace {

namespace fs = std::filesystem;

// What the child saw after becomeOwnerOf.
struct Seen {
    int outcome = -1;  // 0: unchanged, 1: switched, 2: failed
    uid_t uid = 0;
    uid_t euid = 0;
    gid_t gid = 0;
    gid_t egid = 0;
    int supplementaryGroups = -1;
    bool rootAgain = false;   // setuid(0) succeeded afterwards
    uid_t madeFileOwner = 0;  // owner of a file the child then made in `madeIn`
};

Seen inChild(const fs::path& file, const fs::path& madeIn) {
    int channel[2];
    if (pipe(channel) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        Seen seen;
        const OwnerSwitch result = becomeOwnerOf(file);
        seen.outcome = !result.error.empty() ? 2 : result.switched ? 1 : 0;
        seen.uid = getuid();
        seen.euid = geteuid();
        seen.gid = getgid();
        seen.egid = getegid();
        seen.supplementaryGroups = getgroups(0, nullptr);
        const fs::path made = madeIn / "made-by-child";
        std::ofstream(made) << "x";
        struct stat status {};
        if (stat(made.c_str(), &status) == 0) {
            seen.madeFileOwner = status.st_uid;
        }
        seen.rootAgain = seen.outcome == 1 && setuid(0) == 0;
        const auto written = write(channel[1], &seen, sizeof seen);
        _exit(written == static_cast<ssize_t>(sizeof seen) ? 0 : 1);
    }
    close(channel[1]);
    Seen seen;
    const auto got = read(channel[0], &seen, sizeof seen);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(got, static_cast<ssize_t>(sizeof seen));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return seen;
}

TEST(OwnerSwitch, AFileOfThisProcesssOwnUserChangesNothing) {
    test::ScratchDirectory folder;
    const fs::path file = folder.path() / "service.db";
    std::ofstream(file) << "x";
    for (const fs::path& target : {file, folder.path() / "missing.db"}) {
        SCOPED_TRACE(target.string());
        const Seen seen = inChild(target, folder.path());
        EXPECT_EQ(seen.outcome, 0);
        EXPECT_EQ(seen.euid, geteuid());
        EXPECT_EQ(seen.egid, getegid());
        EXPECT_EQ(seen.madeFileOwner, geteuid());
    }
}

TEST(OwnerSwitch, RootBecomesTheUserOfTheFileOrItsFolder) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can switch to another user";
    }
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const uid_t user = nobody->pw_uid;
    const gid_t group = nobody->pw_gid;

    test::ScratchDirectory scratch;
    // The service's state folder and database belong to the service user;
    // the scratch folder's group is root's, so the user's own group must be
    // the one taken.
    const fs::path state = scratch.path() / "state";
    fs::create_directory(state);
    ASSERT_EQ(chown(state.c_str(), user, 0), 0);
    fs::permissions(state, fs::perms::owner_all);
    const fs::path database = state / "service.db";
    std::ofstream(database) << "x";
    ASSERT_EQ(chown(database.c_str(), user, 0), 0);

    struct Case {
        fs::path file;
        int outcome;
    };
    const std::vector<Case> cases = {
        {database, 1},
        {state / "not-yet.db", 1},  // the folder's user
        {scratch.path() / "none" / "service.db", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        const Seen seen = inChild(c.file, c.outcome == 1 ? state : scratch.path());
        ASSERT_EQ(seen.outcome, c.outcome);
        if (c.outcome == 0) {
            EXPECT_EQ(seen.euid, 0u);
            continue;
        }
        EXPECT_EQ(seen.uid, user);
        EXPECT_EQ(seen.euid, user);
        EXPECT_EQ(seen.gid, group);
        EXPECT_EQ(seen.egid, group);
        EXPECT_EQ(seen.supplementaryGroups, 0);
        EXPECT_FALSE(seen.rootAgain);
        EXPECT_EQ(seen.madeFileOwner, user);
    }
}

}  // namespace
}  // namespace lanzhou::platform
