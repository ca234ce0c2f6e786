#include "client/core/version_check.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

TEST(ReadLocalVersion, ReadsTheWholeVerTxt) {
    struct Case {
        const char* name;
        std::string content;
        std::int32_t version;
    };
    const Case cases[] = {
        {"plain", "27", 27},
        {"line break after", "27\r\n", 27},
        {"leading blanks", "  28", 28},
        {"text after", "29abc", 29},
        {"empty", "", 0},
        {"not a number", "abc", 0},
        {"full-width digits", G("３０"), 30},
    };
    for (const Case& c : cases) {
        test::ScratchDirectory directory;
        ASSERT_TRUE(platform::writeFileAtomically(directory.path() / "ver.txt", c.content));
        EXPECT_EQ(readLocalVersion(directory.gbkText()), c.version) << c.name;
    }
}

TEST(ReadLocalVersion, MissingFileIsZero) {
    test::ScratchDirectory directory;
    EXPECT_EQ(readLocalVersion(directory.gbkText()), 0);
}

TEST(UpdateWanted, OnlyForAGreaterServerVersion) {
    EXPECT_FALSE(updateWanted(27, 27));
    EXPECT_TRUE(updateWanted(28, 27));
    EXPECT_FALSE(updateWanted(26, 27));
    EXPECT_TRUE(updateWanted(1, 0));
    EXPECT_FALSE(updateWanted(-5, 0));  // signed comparison
    EXPECT_FALSE(updateWanted(0, 0));
}

TEST(UpdaterCommandLine, JoinsTheThreeArguments) {
    EXPECT_EQ(updaterCommandLine("C:\\lz", 28, "U", "C"), "C:\\lz\\update.exe 28 U C");
    EXPECT_EQ(updaterCommandLine(G("D:\\股票"), -3, "http://h/u.zip", "lanzhou.exe"),
              G("D:\\股票") + "\\update.exe -3 http://h/u.zip lanzhou.exe");
    EXPECT_EQ(updaterCommandLine("C:\\lz", 28, "", "C"), "C:\\lz\\update.exe 28  C");
}

}  // namespace
}  // namespace lanzhou::core
