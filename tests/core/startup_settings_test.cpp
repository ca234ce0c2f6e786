#include "client/core/startup_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client/core/stored_text_cipher.h"
#include "config/config_file.h"
#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

const std::string kRun = G("C:\\股票\\lanzhou");

// The picture of a picture skin; a colour skin fails the test.
std::string picturePath(const StartupSettings& settings) {
    const auto* picture = std::get_if<config::SkinPicture>(&settings.skin);
    EXPECT_NE(picture, nullptr);
    return picture ? picture->path : "<a colour>";
}

class StartupSettingsTest : public ::testing::Test {
protected:
    test::ScratchDirectory directory;
    config::ConfigFile config{directory.path() / "k_config.ini"};

    void set(std::string_view key, std::string_view value) {
        ASSERT_TRUE(config.ensure());
        ASSERT_TRUE(config.write(key, value));
    }
};

TEST_F(StartupSettingsTest, DefaultFileGivesTheDefaults) {
    const StartupSettings settings = readStartupSettings(config, kRun);
    EXPECT_EQ(platform::readFile(config.path()), std::string(config::ConfigFile::defaultContent()));
    EXPECT_EQ(settings.xl, "0");
    EXPECT_FALSE(settings.remembered.has_value());
    EXPECT_TRUE(settings.soundHint);
    EXPECT_TRUE(settings.popupHint);
    EXPECT_EQ(settings.soundFile, kRun + "\\music\\music.wav");
    ASSERT_TRUE(std::holds_alternative<config::SkinColour>(settings.skin));
    EXPECT_EQ(std::get<config::SkinColour>(settings.skin).colorRef, 178);
}

TEST_F(StartupSettingsTest, RemembersOnlyWhenZxIsExactlyOne) {
    set("username", encodeStored(G("会员01")));
    set("userpass", encodeStored("p w"));
    for (const char* zx : {"0", "01", "1 1", "yes", ""}) {
        set("zx", zx);
        EXPECT_FALSE(readStartupSettings(config, kRun).remembered.has_value()) << zx;
    }
    set("zx", "1");
    const auto remembered = readStartupSettings(config, kRun).remembered;
    ASSERT_TRUE(remembered.has_value());
    EXPECT_EQ(remembered->account, G("会员01"));
    EXPECT_EQ(remembered->password, "p w");
}

TEST(StartupSettingsSwitches, AreReadAsWholeTexts) {
    struct Case {
        const char* key;
        const char* value;
        std::function<void(const StartupSettings&)> check;
    };
    const std::vector<Case> cases = {
        {"hint1", "yes", [](const StartupSettings& s) { EXPECT_FALSE(s.soundHint); }},
        {"hint1", "true", [](const StartupSettings& s) { EXPECT_FALSE(s.soundHint); }},
        {"hint2", "0", [](const StartupSettings& s) { EXPECT_FALSE(s.popupHint); }},
        {"pmusic", "D:\\snd\\x.mid",
         [](const StartupSettings& s) { EXPECT_EQ(s.soundFile, "D:\\snd\\x.mid"); }},
        {"pmusic", "\\music\\ding.wav",
         [](const StartupSettings& s) { EXPECT_EQ(s.soundFile, kRun + "\\music\\ding.wav"); }},
        {"pmusic", "", [](const StartupSettings& s) { EXPECT_EQ(s.soundFile, ""); }},
        {"bcolour", "16711680abc",
         [](const StartupSettings& s) {
             EXPECT_EQ(std::get<config::SkinColour>(s.skin).colorRef, 16711680);
         }},
        {"bx", "2", [](const StartupSettings& s) { EXPECT_EQ(picturePath(s), ""); }},
        {"xl", "1", [](const StartupSettings& s) { EXPECT_EQ(s.xl, "1"); }},
    };
    for (const Case& c : cases) {
        {
            test::ScratchDirectory fresh;
            const config::ConfigFile file(fresh.path() / "k_config.ini");
            ASSERT_TRUE(file.ensure());
            ASSERT_TRUE(file.write(c.key, c.value));
            SCOPED_TRACE(std::string(c.key) + "=" + c.value);
            c.check(readStartupSettings(file, kRun));
        }
    }
}

TEST_F(StartupSettingsTest, PictureSkinResolvesItsPath) {
    set("bx", "1");
    set("bcolour", "255");
    set("bpic", "\\skin\\a.jpg");
    StartupSettings settings = readStartupSettings(config, kRun);
    EXPECT_EQ(picturePath(settings), kRun + "\\skin\\a.jpg");

    set("bpic", "E:\\pics\\b.png");
    settings = readStartupSettings(config, kRun);
    EXPECT_EQ(picturePath(settings), "E:\\pics\\b.png");
}

TEST(StartupSettingsUnwritable, ReadsAsEmptyKeys) {
    test::ScratchDirectory directory;
    const config::ConfigFile config(directory.path() / "missing" / "k_config.ini");
    const StartupSettings settings = readStartupSettings(config, kRun);
    EXPECT_EQ(settings.xl, "");
    EXPECT_FALSE(settings.remembered.has_value());
    EXPECT_FALSE(settings.soundHint);
    EXPECT_FALSE(settings.popupHint);
    EXPECT_EQ(settings.soundFile, "");
    EXPECT_EQ(picturePath(settings), "");
}

TEST_F(StartupSettingsTest, RememberBoxWritesAtOnce) {
    ASSERT_TRUE(config.ensure());
    storeRememberBox(config, true, {G("会员01"), "p w"});
    EXPECT_EQ(config.read("zx"), "1");
    EXPECT_EQ(config.read("username"), "FD291B22CE5F");
    EXPECT_EQ(config.read("userpass"), "36E8B8");

    storeRememberBox(config, false, {G("会员01"), "p w"});
    EXPECT_EQ(config.read("zx"), "0");
    EXPECT_EQ(config.read("username"), "");
    EXPECT_EQ(config.read("userpass"), "");
}

TEST_F(StartupSettingsTest, LoginRemembersAndAdoptionKeepsZx) {
    ASSERT_TRUE(config.ensure());
    rememberCredentials(config, {"demo", "p w"});
    EXPECT_EQ(config.read("zx"), "1");
    EXPECT_EQ(config.read("username"), "22ADA2FC");
    EXPECT_EQ(config.read("userpass"), "36E8B8");

    set("zx", "0");
    storeAdoptedCredentials(config, {G("会员01"), "demo"});
    EXPECT_EQ(config.read("zx"), "0");
    EXPECT_EQ(config.read("username"), "FD291B22CE5F");
    EXPECT_EQ(config.read("userpass"), "22ADA2FC");
}

}  // namespace
}  // namespace lanzhou::core
