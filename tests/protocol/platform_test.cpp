#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/adapter_address.h"
#include "platform/file_io.h"
#include "platform/gbk.h"
#include "platform/paths.h"

namespace lanzhou::platform {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

TEST(PlatformGbk, ConvertsBothWays) {
    struct Case {
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        {"", ""},
        {"plain ASCII |#54", "plain ASCII |#54"},
        {"☆", "\xA1\xEE"},
        {"々", "\xA1\xA9"},
        {"账号", "\xD5\xCB\xBA\xC5"},
        {"测试1|２７",
         "\xB2\xE2\xCA\xD4"
         "1|\xA3\xB2\xA3\xB7"},
        {"　", "\xA1\xA1"},
        {"亅", "\x81\x7C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gbkFromUtf8(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(utf8FromGbk(c.gbk), c.utf8) << c.utf8;
    }
}

TEST(PlatformGbk, NeverFails) {
    // Not in GBK, or not UTF-8 at all: "?".
    EXPECT_EQ(gbkFromUtf8("a\xF0\x9F\x98\x80"
                          "b"),
              "a?b");  // U+1F600
    EXPECT_EQ(gbkFromUtf8("a\xFF"
                          "b"),
              "a?b");
    EXPECT_EQ(gbkFromUtf8("\xD5\xCB"), "??");  // GBK bytes given as UTF-8
    // Not GBK: U+FFFD.
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(utf8FromGbk("a\xFF"
                          "b"),
              "a" + replacement + "b");
    EXPECT_EQ(utf8FromGbk("ab\xD5"), "ab" + replacement);
    EXPECT_EQ(utf8FromGbk("\x81|x"), "\xE4\xBA\x85x");  // 81 7C is a character
}

TEST(PlatformGbk, ConvertsFromManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                if (utf8FromGbk(gbkFromUtf8("线程账号☆々")) != "线程账号☆々") {
                    ++failures[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

class PlatformFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = fs::temp_directory_path() / ("lanzhou-platform-" + std::string(info->name()) +
                                                 "-" + std::to_string(std::random_device{}()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path directory;
};

TEST_F(PlatformFiles, WritesReplaceTheFileAndLeaveNoTemporaries) {
    const fs::path file = directory / "k_config.ini";
    ASSERT_TRUE(writeFileAtomically(file, "first\0version"s));
    EXPECT_EQ(readFile(file), "first\0version"s);
    ASSERT_TRUE(writeFileAtomically(file, "second"));
    EXPECT_EQ(readFile(file), "second");
    ASSERT_TRUE(writeFileAtomically(file, ""));
    EXPECT_EQ(readFile(file), "");
    EXPECT_EQ(entries(), std::vector<std::string>{"k_config.ini"});
}

TEST_F(PlatformFiles, FailedWriteReportsFalse) {
    EXPECT_FALSE(writeFileAtomically(directory / "missing" / "file.txt", "x"));
    // A directory in the way of the rename: the target stays, no temporary is left.
    fs::create_directories(directory / "taken" / "inner");
    EXPECT_FALSE(writeFileAtomically(directory / "taken", "x"));
    EXPECT_TRUE(fs::is_directory(directory / "taken"));
    EXPECT_EQ(entries(), std::vector<std::string>{"taken"});
}

TEST_F(PlatformFiles, ReadsStopAtTheLimit) {
    const fs::path file = directory / "big.bin";
    ASSERT_TRUE(writeFileAtomically(file, std::string(100'000, 'b')));
    EXPECT_EQ(readFile(file, 10), std::string(10, 'b'));
    EXPECT_EQ(readFile(file, 0), "");
    EXPECT_EQ(readFile(file)->size(), 100'000u);
    EXPECT_EQ(readFile(directory / "absent.txt"), std::nullopt);
    EXPECT_EQ(readFile(directory), std::nullopt);
}

TEST(PlatformPaths, ExecutableDirectoryHoldsTheRunningProgram) {
    const fs::path directory = executableDirectory();
    ASSERT_FALSE(directory.empty());
    const std::string name = executableFileName();
    EXPECT_EQ(name, LANZHOU_TEST_PROGRAM_NAME);
    EXPECT_TRUE(fs::exists(directory / name));
}

TEST(PlatformPaths, GbkPathsTurnIntoSystemPaths) {
    // 81 5C is one character whose trail byte is a backslash: not a separator.
    const std::string gbk = "run\\\xD5\xCB\xBA\xC5\\\x81\x5C.txt";
    const fs::path path = pathFromGbk(gbk);
    const std::vector<fs::path> parts(path.begin(), path.end());
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_TRUE(parts[0] == fs::path(u8"run"));
    EXPECT_TRUE(parts[1] == fs::path(u8"账号"));
    EXPECT_TRUE(parts[2] == fs::path(u8"乗.txt"));

    const char separator = static_cast<char>(fs::path::preferred_separator);
    EXPECT_EQ(gbkFromPath(path),
              "run"s + separator + "\xD5\xCB\xBA\xC5" + separator + "\x81\x5C.txt");
    EXPECT_TRUE(pathFromGbk(gbkFromPath(path)) == path);
}

TEST(PlatformAdapter, AddressIsEmptyOrSixUpperCaseHexBytes) {
    const std::string address = firstAdapterAddress();
    if (address.empty()) {
        GTEST_SKIP() << "no network adapter with a hardware address here";
    }
    EXPECT_TRUE(std::regex_match(address, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << address;
    EXPECT_NE(address, "00-00-00-00-00-00");
}

}  // namespace
}  // namespace lanzhou::platform
