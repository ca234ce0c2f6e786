// Seeding a member's run directory from an upgraded package: its ver.txt
// follows only a newer package; nothing else of the member's is replaced.

#include "client/core/seed_version_rule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "platform/run_directory.h"
#include "tests/core/scratch_directory.h"

namespace lanzhou::core {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& file, std::string_view text) {
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(platform::writeFileAtomically(file, text)) << file;
}

class SeedVersionRule : public ::testing::Test {
protected:
    test::ScratchDirectory m_scratch;
    const fs::path m_package = m_scratch.path() / "share" / "lanzhou";
    const fs::path m_mine = m_scratch.path() / "home" / "lanzhou";
};

TEST_F(SeedVersionRule, VersionFileFollowsOnlyANewerPackage) {
    struct Case {
        std::string package;
        std::string mine;
        std::string after;
    };
    const Case cases[] = {
        {"101", "100", "101"},      // package upgraded
        {"100", "102", "102"},      // the updater already brought a newer one
        {"100", "100\n", "100\n"},  // same number
        {"100", "", "100"},         // unreadable as a number: 0
        {"junk", "100", "100"},
    };
    for (const Case& c : cases) {
        put(m_package / "ver.txt", c.package);
        put(m_mine / "ver.txt", c.mine);
        platform::seedRunDirectory(m_package, m_mine, seedReplacesMembersFile);
        EXPECT_EQ(platform::readFile(m_mine / "ver.txt"), c.after)
            << c.package << " over " << c.mine;
    }
}

TEST_F(SeedVersionRule, NothingElseIsReplaced) {
    for (const fs::path& relative :
         {fs::path("k_config.ini"), fs::path("ico") / "tray.ico", fs::path("music") / "ver.txt"}) {
        put(m_package / relative, "200");
        put(m_mine / relative, "100");
        EXPECT_FALSE(seedReplacesMembersFile(relative, m_package / relative, m_mine / relative))
            << relative;
    }
    // A package ver.txt that cannot be read, whatever the member's holds.
    put(m_mine / "ver.txt", "-5");
    EXPECT_FALSE(seedReplacesMembersFile("ver.txt", m_package / "ver.txt", m_mine / "ver.txt"));
}

}  // namespace
}  // namespace lanzhou::core
