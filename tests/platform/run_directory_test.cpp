// Choosing and preparing the run directory: portable copies keep their own
// folder, installed packages get a per-user folder seeded from their data.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "platform/run_directory.h"
#include "tests/core/scratch_directory.h"

namespace lanzhou::platform {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& file, std::string_view text) {
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(writeFileAtomically(file, text)) << file;
}

class RunDirectory : public ::testing::Test {
protected:
    RunDirectory() {
        m_places.programDirectory = m_scratch.path() / "prefix" / "bin";
        m_places.packageData = m_scratch.path() / "prefix" / "share" / "lanzhou";
        m_places.perUserDirectory = m_scratch.path() / "home" / ".local" / "share" / "lanzhou";
        fs::create_directories(m_places.programDirectory);
    }

    void installPackageData() {
        put(m_places.packageData / "ver.txt", "100");
        put(m_places.packageData / "ico" / "tray.ico", "icon");
        put(m_places.packageData / "music" / "alert.wav", "wave");
    }

    test::ScratchDirectory m_scratch;
    RunDirectoryPlaces m_places;
};

TEST_F(RunDirectory, PortableCopyUsesItsOwnWritableFolder) {
    EXPECT_EQ(prepareRunDirectory(m_places), m_places.programDirectory);
    EXPECT_FALSE(fs::exists(m_places.perUserDirectory));
}

TEST_F(RunDirectory, InstalledPackageGetsASeededPerUserFolder) {
    installPackageData();
    EXPECT_EQ(prepareRunDirectory(m_places), m_places.perUserDirectory);
    EXPECT_EQ(readFile(m_places.perUserDirectory / "ver.txt"), "100");
    EXPECT_EQ(readFile(m_places.perUserDirectory / "ico" / "tray.ico"), "icon");
    EXPECT_EQ(readFile(m_places.perUserDirectory / "music" / "alert.wav"), "wave");
    EXPECT_FALSE(fs::exists(m_places.programDirectory / "k_config.ini"));
}

TEST_F(RunDirectory, UnwritableProgramFolderFallsBackToThePerUserFolder) {
    m_places.programDirectory = m_scratch.path() / "not-there";
    EXPECT_EQ(prepareRunDirectory(m_places), m_places.perUserDirectory);
    EXPECT_TRUE(fs::is_directory(m_places.perUserDirectory));
    EXPECT_FALSE(isWritableDirectory(m_places.programDirectory));
    EXPECT_TRUE(isWritableDirectory(m_places.perUserDirectory));
}

TEST_F(RunDirectory, NoPerUserFolderLeavesTheProgramFolder) {
    installPackageData();
    m_places.perUserDirectory.clear();
    EXPECT_EQ(prepareRunDirectory(m_places), m_places.programDirectory);
    // A per-user folder that cannot be made (a file is in its way).
    m_places.perUserDirectory = m_scratch.path() / "file" / "lanzhou";
    put(m_scratch.path() / "file", "x");
    EXPECT_EQ(prepareRunDirectory(m_places), m_places.programDirectory);
}

TEST_F(RunDirectory, LaterStartsKeepTheMembersFilesAndAddWhatIsNew) {
    installPackageData();
    ASSERT_EQ(prepareRunDirectory(m_places), m_places.perUserDirectory);
    const fs::path mine = m_places.perUserDirectory;
    put(mine / "k_config.ini", "[config]\n");
    put(mine / "ico" / "tray.ico", "the member's own icon");
    fs::remove(mine / "music" / "alert.wav");
    put(m_places.packageData / "music" / "new.mid", "midi");

    ASSERT_EQ(prepareRunDirectory(m_places), mine);
    EXPECT_EQ(readFile(mine / "k_config.ini"), "[config]\n");
    EXPECT_EQ(readFile(mine / "ico" / "tray.ico"), "the member's own icon");
    EXPECT_EQ(readFile(mine / "music" / "alert.wav"), "wave");
    EXPECT_EQ(readFile(mine / "music" / "new.mid"), "midi");
}

TEST_F(RunDirectory, AnExistingFileIsReplacedOnlyWhenTheRuleSaysSo) {
    installPackageData();
    const fs::path mine = m_places.perUserDirectory;
    put(mine / "ver.txt", "99");
    put(mine / "ico" / "tray.ico", "the member's own icon");
    std::vector<fs::path> asked;
    seedRunDirectory(
        m_places.packageData, mine,
        [&](const fs::path& relative, const fs::path& seedFile, const fs::path& existingFile) {
            asked.push_back(relative);
            EXPECT_EQ(seedFile, m_places.packageData / relative);
            EXPECT_EQ(existingFile, mine / relative);
            return relative == fs::path("ico") / "tray.ico";
        });
    EXPECT_EQ(readFile(mine / "ico" / "tray.ico"), "icon");
    EXPECT_EQ(readFile(mine / "ver.txt"), "99");
    EXPECT_EQ(readFile(mine / "music" / "alert.wav"), "wave");
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<fs::path>{fs::path("ico") / "tray.ico", "ver.txt"}));
}

TEST_F(RunDirectory, SeedingSkipsLinksAndSurvivesAMissingSource) {
    installPackageData();
    std::error_code error;
    fs::create_symlink(m_scratch.path() / "prefix", m_places.packageData / "loop", error);
    seedRunDirectory(m_places.packageData, m_places.perUserDirectory);
    EXPECT_TRUE(fs::exists(m_places.perUserDirectory / "ver.txt"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_places.perUserDirectory / "loop")));

    seedRunDirectory(m_scratch.path() / "nothing", m_scratch.path() / "target");
    EXPECT_FALSE(fs::exists(m_scratch.path() / "target"));
}

TEST(RunDirectoryPlaces, PerUserFolderIsAbsoluteAndNamedForTheClient) {
    const RunDirectoryPlaces places = runDirectoryPlaces();
    EXPECT_FALSE(places.programDirectory.empty());
    if (!places.perUserDirectory.empty()) {
        EXPECT_TRUE(places.perUserDirectory.is_absolute());
        EXPECT_EQ(places.perUserDirectory.filename(), "lanzhou");
    }
}

}  // namespace
}  // namespace lanzhou::platform
