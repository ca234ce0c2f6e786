#include "config/config_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::config {
namespace {

using test::G;

std::string defaultFromTable() {
    const std::vector<std::string> lines = {"[config]",
                                            "xl=0",
                                            G(";0电信线路，1网通线路"),
                                            "username=",
                                            "userpass=",
                                            "zx=0",
                                            "bx=0",
                                            "bcolour=178",
                                            "bpic=",
                                            "pmusic=\\music\\music.wav",
                                            "hint1=1",
                                            "hint2=1"};
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) {
            text += "\r\n";
        }
        text += line;
    }
    return text;
}

TEST(ConfigFileDefault, IsTheTableAsCrLfLinesWithoutAFinalLineEnd) {
    EXPECT_EQ(ConfigFile::defaultContent().size(), 134u);
    EXPECT_EQ(ConfigFile::defaultContent(), defaultFromTable());
}

// ------------------------------------------------------------------ reading

struct ReadCase {
    const char* name;
    std::string file;
    std::string key;
    std::string expected;
};

TEST(ReadIniValue, FollowsTheProfileRules) {
    const std::string longValue(12000, 'v');
    const std::vector<ReadCase> cases = {
        {"default xl", std::string(ConfigFile::defaultContent()), "xl", "0"},
        {"default pmusic", std::string(ConfigFile::defaultContent()), "pmusic",
         "\\music\\music.wav"},
        {"default empty value", std::string(ConfigFile::defaultContent()), "bpic", ""},
        {"last line without line end", std::string(ConfigFile::defaultContent()), "hint2", "1"},
        {"missing key", std::string(ConfigFile::defaultContent()), "nothing", ""},
        {"empty file", "", "xl", ""},
        {"key case", "[config]\r\nXL=1\r\n", "xl", "1"},
        {"section case", "[CONFIG]\r\nxl=1\r\n", "xl", "1"},
        {"LF line ends", "[config]\nxl=1\nzx=1\n", "zx", "1"},
        {"blanks around key and value", "[config]\r\n  xl \t=  1 \t\r\n", "xl", "1"},
        {"blanks inside value kept", "[config]\r\npmusic= a b \r\n", "pmusic", "a b"},
        {"blanks around section name", "  [ config ]\r\nxl=1\r\n", "xl", "1"},
        {"comment line", "[config]\r\n;xl=1\r\nxl=2\r\n", "xl", "2"},
        {"only a comment", "[config]\r\n;xl=1\r\n", "xl", ""},
        {"other section", "[other]\r\nxl=1\r\n[config]\r\nzx=1\r\n", "xl", ""},
        {"key before any section", "xl=1\r\n[config]\r\n", "xl", ""},
        {"first of two", "[config]\r\nxl=1\r\nxl=2\r\n", "xl", "1"},
        {"equals inside value", "[config]\r\nbpic=a=b\r\n", "bpic", "a=b"},
        {"line without equals", "[config]\r\nxl\r\n", "xl", ""},
        {"GBK value", "[config]\r\nbpic=" + G("图片.bmp") + "\r\n", "bpic", G("图片.bmp")},
        {"trail bytes are not folded", "[config]\r\n\x81\x41=1\r\n", "\x81\x61", ""},
        {"lead bytes match exactly", "[config]\r\n\x81\x41=1\r\n", "\x81\x41", "1"},
        {"zero byte ends a value", std::string("[config]\r\nxl=1") + '\0' + "z\r\n", "xl", "1"},
        {"long value cut", "[config]\r\nbpic=" + longValue + "\r\n", "bpic",
         std::string(10239, 'v')},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(readIniValue(c.file, "config", c.key), c.expected) << c.name;
    }
}

// ------------------------------------------------------------------ writing

struct WriteCase {
    const char* name;
    std::string file;
    std::string key;
    std::string value;
    std::string expected;
};

TEST(WriteIniValue, ChangesOnlyTheKeysLine) {
    const std::string def(ConfigFile::defaultContent());
    auto replaced = [&](std::string_view from, std::string_view to) {
        std::string text = def;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::vector<WriteCase> cases = {
        {"replace in place", def, "xl", "1", replaced("xl=0", "xl=1")},
        {"replace last line", def, "hint2", "0", replaced("hint2=1", "hint2=0")},
        {"replace an empty value", def, "username", "22ADA2FC",
         replaced("username=", "username=22ADA2FC")},
        {"key spelt as in the file", "[config]\r\nXL = 0 \r\nzx=0\r\n", "xl", "1",
         "[config]\r\nXL =1\r\nzx=0\r\n"},
        {"LF file keeps its line ends", "[config]\nxl=0\nzx=0\n", "zx", "1",
         "[config]\nxl=0\nzx=1\n"},
        {"new key after the section's last line", "[config]\r\nxl=0\r\n\r\n[other]\r\na=1\r\n",
         "zx", "1", "[config]\r\nxl=0\r\nzx=1\r\n\r\n[other]\r\na=1\r\n"},
        {"new key after a comment", "[config]\r\nxl=0\r\n;note\r\n[other]\r\n", "zx", "1",
         "[config]\r\nxl=0\r\n;note\r\nzx=1\r\n[other]\r\n"},
        {"new key at the end without line end", def, "extra", "x", def + "\r\nextra=x\r\n"},
        {"new key after a lone CR", "[config]\r\nxl=0\r", "zx", "1",
         "[config]\r\nxl=0\r\nzx=1\r\n"},
        {"new key in an empty section", "[config]\r\n[other]\r\n", "xl", "1",
         "[config]\r\nxl=1\r\n[other]\r\n"},
        {"missing section", "[other]\r\na=1", "xl", "1", "[other]\r\na=1\r\n[config]\r\nxl=1\r\n"},
        {"empty file", "", "xl", "1", "[config]\r\nxl=1\r\n"},
        {"value cut at a line break", "[config]\r\nbpic=\r\n", "bpic", "a\r\nzx=1",
         "[config]\r\nbpic=a\r\n"},
    };
    for (const WriteCase& c : cases) {
        const std::string written = writeIniValue(c.file, "config", c.key, c.value);
        EXPECT_EQ(written, c.expected) << c.name;
        const std::string_view valueLine =
            std::string_view(c.value).substr(0, std::string_view(c.value).find_first_of("\r\n"));
        EXPECT_EQ(readIniValue(written, "config", c.key), valueLine) << c.name;
    }
}

TEST(WriteIniValue, EveryDefaultKeyRoundTripsAndLeavesTheOthers) {
    const std::string def(ConfigFile::defaultContent());
    const char* keys[] = {"xl",      "username", "userpass", "zx",    "bx",
                          "bcolour", "bpic",     "pmusic",   "hint1", "hint2"};
    for (const char* key : keys) {
        const std::string written = writeIniValue(def, "config", key, G("新值"));
        EXPECT_EQ(readIniValue(written, "config", key), G("新值")) << key;
        for (const char* other : keys) {
            if (std::string_view(other) != key) {
                EXPECT_EQ(readIniValue(written, "config", other),
                          readIniValue(def, "config", other))
                    << key << " changed " << other;
            }
        }
    }
}

// ------------------------------------------------------------------ the file

class ConfigFileOnDisk : public ::testing::Test {
protected:
    test::ScratchDirectory directory;
    ConfigFile config{directory.path() / "k_config.ini"};
};

TEST_F(ConfigFileOnDisk, EnsureWritesTheDefaultOnlyWhenMissing) {
    EXPECT_EQ(config.read("xl"), "");
    ASSERT_TRUE(config.ensure());
    EXPECT_EQ(platform::readFile(config.path()), std::string(ConfigFile::defaultContent()));
    EXPECT_EQ(config.read("bcolour"), "178");

    ASSERT_TRUE(platform::writeFileAtomically(config.path(), "[config]\r\nxl=1\r\n"));
    ASSERT_TRUE(config.ensure());
    EXPECT_EQ(config.read("xl"), "1");
    EXPECT_EQ(config.read("bcolour"), "");  // a missing key is not added back
}

TEST_F(ConfigFileOnDisk, WritesOneKeyAndEveryReadSeesTheFileAsItIsNow) {
    ASSERT_TRUE(config.ensure());
    ASSERT_TRUE(config.write("zx", "1"));
    EXPECT_EQ(config.read("zx"), "1");
    const std::string expected =
        std::string(ConfigFile::defaultContent())
            .replace(std::string(ConfigFile::defaultContent()).find("zx=0"), 4, "zx=1");
    EXPECT_EQ(platform::readFile(config.path()), expected);

    ASSERT_TRUE(platform::writeFileAtomically(config.path(), "[config]\nzx=0\n"));
    EXPECT_EQ(config.read("zx"), "0");
}

TEST_F(ConfigFileOnDisk, WritingWithoutAFileCreatesOne) {
    ASSERT_TRUE(config.write("xl", "1"));
    EXPECT_EQ(platform::readFile(config.path()), "[config]\r\nxl=1\r\n");
}

TEST(ConfigFileUnwritable, ReadsAsAllKeysEmpty) {
    test::ScratchDirectory directory;
    const ConfigFile config(directory.path() / "missing-folder" / "k_config.ini");
    EXPECT_FALSE(config.ensure());
    EXPECT_FALSE(config.write("xl", "1"));
    EXPECT_EQ(config.read("xl"), "");
    EXPECT_EQ(config.read("hint1"), "");
}

TEST(ConfigFileUnwritable, EveryFailedWriteIsReportedAndNothingElse) {
    std::vector<std::string> reports;
    setDiagnosticSink([&](std::string_view area, std::string_view message) {
        reports.push_back(std::string(area) + ": " + std::string(message));
    });
    test::ScratchDirectory directory;
    const ConfigFile missing(directory.path() / "missing-folder" / "k_config.ini");
    const ConfigFile folder(directory.path());  // a folder where the file should be
    const ConfigFile good(directory.path() / "k_config.ini");
    EXPECT_FALSE(missing.ensure());
    EXPECT_FALSE(missing.write("xl", "1"));
    EXPECT_FALSE(folder.write("hint2", "0"));
    EXPECT_TRUE(good.ensure());
    EXPECT_TRUE(good.write("zx", "1"));
    setDiagnosticSink({});

    ASSERT_EQ(reports.size(), 3u);
    for (const std::string& report : reports) {
        EXPECT_TRUE(report.starts_with("config: could not write ")) << report;
    }
    EXPECT_NE(reports[0].find("missing-folder"), std::string::npos) << reports[0];
    EXPECT_NE(reports[1].find("xl"), std::string::npos) << reports[1];
    EXPECT_NE(reports[2].find("hint2"), std::string::npos) << reports[2];
}

}  // namespace
}  // namespace lanzhou::config
