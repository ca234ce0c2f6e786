// Unpacking update archives written by the test with minizip: folders,
// overwritten files, names in GBK and UTF-8, unsafe names, broken archives
// and limits.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"
#include "tests/updater/support/zip_writer.h"
#include "updater/core/archive_unpacker.h"

namespace lanzhou::updater {
namespace {

namespace fs = std::filesystem;
using test::G;
using test::ZipEntry;

const char* const kBroken = "更新包损坏，无法解压。";

fs::path utf8Path(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

// Every file and folder under `root`, as "/"-separated UTF-8 paths.
std::vector<std::string> listing(const fs::path& root) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        const std::u8string name = it->path().lexically_relative(root).generic_u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentOf(const fs::path& file) {
    return platform::readFile(file).value_or("<missing>");
}

// Replaces the first occurrence of `from` in the file by `to` (same length).
bool patchFile(const fs::path& file, const std::string& from, const std::string& to) {
    std::string bytes = platform::readFile(file).value_or("");
    std::size_t at = bytes.find(from);
    if (at == std::string::npos || from.size() != to.size()) {
        return false;
    }
    bytes.replace(at, from.size(), to);
    // A name is stored twice (local header and central directory).
    if (at = bytes.find(from); at != std::string::npos) {
        bytes.replace(at, from.size(), to);
    }
    return platform::writeFileAtomically(file, bytes);
}

class ArchiveUnpacker : public ::testing::Test {
protected:
    fs::path archive() const { return m_scratch.path() / "temp.zip"; }
    fs::path target() const { return m_scratch.path() / "run"; }

    void write(const std::vector<ZipEntry>& entries) {
        ASSERT_TRUE(test::writeZip(archive(), entries));
    }
    Result<void> unpack(const UnpackLimits& limits = {}) {
        return unpackArchive(
            archive(), target(), [this](int percent) { m_progress.push_back(percent); }, limits);
    }
    void prepareTarget(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, bytes] : files) {
            const fs::path file = target() / utf8Path(name);
            fs::create_directories(file.parent_path());
            ASSERT_TRUE(platform::writeFileAtomically(file, bytes));
        }
    }

    test::ScratchDirectory m_scratch;
    std::vector<int> m_progress;
};

TEST_F(ArchiveUnpacker, CreatesFoldersAndOverwritesFiles) {
    prepareTarget({{"lanzhou.exe", "old program"}, {"keep.txt", "not in the update"}});
    const std::string large(200'000, 'x');
    write({
        {"lanzhou.exe", "new program"},
        {"data/", ""},
        {"data/skin/back.bmp", large},  // its folder has no entry of its own
        {"empty/", ""},
        {"data\\sounds\\alert.wav", "wave", false, true},
        {G("说明.txt"), G("中文说明")},
        {G("誠.txt"), "GBK D5 5C: its trail byte is no folder separator"},
        {"新版本/说明.txt", "utf-8 name", true},
        {"zero.txt", ""},
    });

    const Result<void> result = unpack();
    ASSERT_TRUE(result.has_value()) << result.error();
    EXPECT_EQ(result.error(), "");
    EXPECT_EQ(contentOf(target() / "lanzhou.exe"), "new program");
    EXPECT_EQ(contentOf(target() / "keep.txt"), "not in the update");
    EXPECT_EQ(contentOf(target() / "data" / "skin" / "back.bmp"), large);
    EXPECT_EQ(contentOf(target() / "data" / "sounds" / "alert.wav"), "wave");
    EXPECT_EQ(contentOf(target() / utf8Path("说明.txt")), G("中文说明"));
    EXPECT_EQ(contentOf(target() / utf8Path("新版本") / utf8Path("说明.txt")), "utf-8 name");
    EXPECT_EQ(contentOf(target() / "zero.txt"), "");
    EXPECT_TRUE(fs::is_directory(target() / "empty"));
    const std::vector<std::string> expected = {"data",
                                               "data/skin",
                                               "data/skin/back.bmp",
                                               "data/sounds",
                                               "data/sounds/alert.wav",
                                               "empty",
                                               "keep.txt",
                                               "lanzhou.exe",
                                               "zero.txt",
                                               "新版本",
                                               "新版本/说明.txt",
                                               "誠.txt",
                                               "说明.txt"};
    EXPECT_EQ(listing(target()), expected) << "no temporary files left";

    ASSERT_FALSE(m_progress.empty());
    EXPECT_TRUE(std::is_sorted(m_progress.begin(), m_progress.end()));
    EXPECT_EQ(m_progress.front(), 0);
    EXPECT_EQ(m_progress.back(), 100);
    EXPECT_GT(m_progress.size(), 2u) << "the large entry reports along the way";
}

TEST_F(ArchiveUnpacker, ArchiveWithAnUnsafeNameWritesNothingAtAll) {
    const std::string unsafeNames[] = {
        "../evil",  "/abs",  "a/../../b", "C:\\x",      "a\\..\\..\\b",
        "..\\evil", "\\abs", "c:x",       "a/b:stream", "..",
        "a/...",    ". ./x", "",          "./",         G("目录/../../evil"),
    };
    for (const std::string& name : unsafeNames) {
        SCOPED_TRACE(name);
        write({{"safe.txt", "safe"}, {"sub/safe.txt", "safe"}, {name, "evil"}, {"after.txt", "x"}});
        const Result<void> result = unpack();
        EXPECT_FALSE(result.has_value());
        EXPECT_NE(result.error().find("不安全"), std::string::npos) << result.error();
        EXPECT_FALSE(fs::exists(target())) << "not even the safe entries";
        const std::vector<std::string> onlyTheArchive = {"temp.zip"};
        EXPECT_EQ(listing(m_scratch.path()), onlyTheArchive);
        EXPECT_FALSE(fs::exists(m_scratch.path().parent_path() / "evil"));
        EXPECT_FALSE(fs::exists("/abs"));
        fs::remove_all(target());
    }
}

TEST_F(ArchiveUnpacker, NameWithAZeroByteIsRefused) {
    write({{"safe.txt", "safe"}, {"aXb.txt", "x"}});
    ASSERT_TRUE(patchFile(archive(), "aXb.txt", std::string("a\0b.txt", 7)));
    EXPECT_FALSE(unpack().has_value());
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(ArchiveUnpacker, MalformedUtf8NameIsRefused) {
    // An overlong "/" (C0 AF) after "..", and a lone surrogate.
    for (const std::string name : {"..\xC0\xAF"
                                   "evil",
                                   "a\xED\xA0\x80.txt", "\xFF.txt"}) {
        write({{"safe.txt", "safe"}, {name, "x", true}});
        EXPECT_FALSE(unpack().has_value()) << name;
        EXPECT_FALSE(fs::exists(target()));
    }
}

TEST(SafeEntryName, AcceptsRelativeNamesOnly) {
    for (const char* name : {"a", "a/b", "a\\b", "./a", "a/./b", "a..b", "..a", "a..", "a//b",
                             "folder/", "...a", "新/文件.txt"}) {
        EXPECT_TRUE(safeEntryName(name)) << name;
    }
    for (const char* name : {"", "/", "\\", "/a", "\\a", "..", "../a", "a/..", "a\\..\\b",
                             "C:", "C:a", "a:b", "...", ". .", "a/.. /b", " ", ".", "./", "./."}) {
        EXPECT_FALSE(safeEntryName(name)) << name;
    }
    EXPECT_FALSE(safeEntryName(std::string_view("a\0b", 3)));
}

TEST_F(ArchiveUnpacker, LinkInTheTargetDoesNotLeadOutside) {
    const fs::path outside = m_scratch.path() / "outside";
    fs::create_directories(outside);
    fs::create_directories(target());
    std::error_code error;
    fs::create_directory_symlink(outside, target() / "link", error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    write({{"safe.txt", "safe"}, {"link/evil.txt", "evil"}});
    EXPECT_FALSE(unpack().has_value());
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_FALSE(fs::exists(target() / "safe.txt"));
}

TEST_F(ArchiveUnpacker, BrokenArchivesAreReportedIncomplete) {
    const std::string payload(5000, 'p');
    write({{"first.txt", "first"}, {"second.txt", payload}});
    const std::string whole = platform::readFile(archive()).value();

    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"truncated in the middle", whole.substr(0, whole.size() / 2)},
        {"without its last bytes", whole.substr(0, whole.size() - 5)},
        {"empty file", ""},
        {"not an archive", std::string(300, 'z')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(platform::writeFileAtomically(archive(), c.bytes));
        const Result<void> result = unpack();
        EXPECT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), kBroken);
    }
    fs::remove(archive());
    const Result<void> missing = unpack();
    EXPECT_FALSE(missing.has_value());
    EXPECT_FALSE(missing.error().empty());
}

TEST_F(ArchiveUnpacker, BadChecksumKeepsTheOldFile) {
    prepareTarget({{"lanzhou.exe", "old program"}});
    write({{"lanzhou.exe", "new program, stored as it is", false, true}});
    ASSERT_TRUE(patchFile(archive(), "stored as it is", "stored as IT is"));

    const Result<void> result = unpack();
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), kBroken);
    EXPECT_EQ(contentOf(target() / "lanzhou.exe"), "old program");
    const std::vector<std::string> onlyTheOldFile = {"lanzhou.exe"};
    EXPECT_EQ(listing(target()), onlyTheOldFile) << "no temporary file left";
}

TEST_F(ArchiveUnpacker, EmptyArchiveInstallsNothingAndIsNotComplete) {
    write({});
    const Result<void> result = unpack();
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), "更新包中没有文件。");
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(ArchiveUnpacker, LimitsRefuseBeforeWriting) {
    write({{"a.txt", "12345"}, {"b.txt", "67890"}, {"c.txt", "x"}});
    UnpackLimits fewEntries;
    fewEntries.maximumEntries = 2;
    EXPECT_FALSE(unpack(fewEntries).has_value());
    UnpackLimits fewBytes;
    fewBytes.maximumTotalBytes = 10;
    EXPECT_FALSE(unpack(fewBytes).has_value());
    EXPECT_FALSE(fs::exists(target()));

    UnpackLimits enough;
    enough.maximumEntries = 3;
    enough.maximumTotalBytes = 11;
    EXPECT_TRUE(unpack(enough).has_value());
}

TEST_F(ArchiveUnpacker, FolderInTheWayOfAFileStays) {
    prepareTarget({{"skin/back.bmp", "the member's picture"}});
    write({{"skin", "a file where a folder is"}});
    EXPECT_FALSE(unpack().has_value());
    EXPECT_EQ(contentOf(target() / "skin" / "back.bmp"), "the member's picture");
    const std::vector<std::string> unchanged = {"skin", "skin/back.bmp"};
    EXPECT_EQ(listing(target()), unchanged);
}

TEST_F(ArchiveUnpacker, FileInTheWayOfAFolderFails) {
    prepareTarget({{"data", "a file where a folder should be"}});
    write({{"data/skin.bmp", "x"}});
    const Result<void> result = unpack();
    EXPECT_FALSE(result.has_value());
    EXPECT_NE(result.error().find("data/skin.bmp"), std::string::npos) << result.error();
}

}  // namespace
}  // namespace lanzhou::updater
