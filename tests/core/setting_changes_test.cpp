#include "client/core/setting_changes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/diagnostics.h"
#include "client/core/client_session.h"
#include "client/core/texts.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;
namespace key = config::key;

class SettingChangesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(config.ensure()); }

    // The default file with the given keys' values replaced.
    static std::string defaultWith(const std::vector<std::pair<std::string, std::string>>& keys) {
        std::string bytes(config::ConfigFile::defaultContent());
        for (const auto& [name, value] : keys) {
            bytes = config::writeIniValue(bytes, "config", name, value);
        }
        return bytes;
    }
    std::string fileBytes() const { return platform::readFile(config.path()).value_or(""); }

    test::ScratchDirectory directory;
    config::ConfigFile config{directory.path() / "k_config.ini"};
    ClientSession session;
    SettingChanges changes{session, config};
};

TEST_F(SettingChangesTest, EachSetterWritesItsKeysAndItsSessionField) {
    struct Case {
        const char* name;
        std::function<void(SettingChanges&)> change;
        std::vector<std::pair<std::string, std::string>> keys;
        std::function<void(const ClientSession&)> check;
        bool switchesBefore = true;  // both switches of the session before the change
    };
    const std::string sound = G("D:\\声音\\叮.wav");
    const std::vector<Case> cases = {
        {"colour",
         [](SettingChanges& c) { c.setSkinColour(16711680); },
         {{"bx", "0"}, {"bcolour", "16711680"}},
         [](const ClientSession&) {}},
        {"picture",
         [](SettingChanges& c) { c.setSkinPicture(G("E:\\图\\b.png")); },
         {{"bx", "1"}, {"bpic", G("E:\\图\\b.png")}},
         [](const ClientSession&) {}},
        {"sound file",
         [&](SettingChanges& c) { c.setSoundFile(sound); },
         {{"pmusic", sound}},
         [&](const ClientSession& s) { EXPECT_EQ(s.soundFile, sound); }},
        {"sound off",
         [](SettingChanges& c) { c.setSoundHint(false); },
         {{"hint1", "0"}},
         [](const ClientSession& s) { EXPECT_FALSE(s.soundHint); }},
        {"popups off",
         [](SettingChanges& c) { c.setPopupHint(false); },
         {{"hint2", "0"}},
         [](const ClientSession& s) { EXPECT_FALSE(s.popupHint); }},
        {"sound on",
         [](SettingChanges& c) { c.setSoundHint(true); },
         {{"hint1", "1"}},
         [](const ClientSession& s) { EXPECT_TRUE(s.soundHint); },
         false},
        {"popups on",
         [](SettingChanges& c) { c.setPopupHint(true); },
         {{"hint2", "1"}},
         [](const ClientSession& s) { EXPECT_TRUE(s.popupHint); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(
            platform::writeFileAtomically(config.path(), config::ConfigFile::defaultContent()));
        session.soundHint = c.switchesBefore;
        session.popupHint = c.switchesBefore;
        c.change(changes);
        EXPECT_EQ(fileBytes(), defaultWith(c.keys));
        c.check(session);
    }
}

TEST_F(SettingChangesTest, ALineIsChangedOnlyToAnotherOne) {
    session.line = LineChoice::Telecom;
    EXPECT_FALSE(changes.setServerLine(LineChoice::Telecom));
    EXPECT_EQ(fileBytes(), config::ConfigFile::defaultContent());
    EXPECT_EQ(session.promptText, "");

    EXPECT_TRUE(changes.setServerLine(LineChoice::Netcom));
    EXPECT_EQ(session.line, LineChoice::Netcom);
    EXPECT_EQ(session.promptText, gbk(text::kLineChanged));
    EXPECT_EQ(fileBytes(), defaultWith({{"xl", "1"}}));

    session.promptText.clear();
    EXPECT_TRUE(changes.setServerLine(LineChoice::Telecom));
    EXPECT_EQ(session.line, LineChoice::Telecom);
    EXPECT_EQ(session.promptText, gbk(text::kLineChanged));
    EXPECT_EQ(fileBytes(), config::ConfigFile::defaultContent());
}

TEST(SettingChangesUnwritable, ApplyToTheSessionAndReportTheFailedWrite) {
    std::vector<std::string> reports;
    setDiagnosticSink([&](std::string_view area, std::string_view message) {
        reports.push_back(std::string(area) + ": " + std::string(message));
    });
    test::ScratchDirectory directory;
    const config::ConfigFile config(directory.path() / "missing-folder" / "k_config.ini");
    ClientSession session;
    SettingChanges changes(session, config);
    changes.setSoundHint(true);
    EXPECT_TRUE(changes.setServerLine(LineChoice::Netcom));
    setDiagnosticSink({});

    EXPECT_TRUE(session.soundHint);
    EXPECT_EQ(session.line, LineChoice::Netcom);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("config: could not write the key hint1"), std::string::npos);
    EXPECT_NE(reports[1].find("config: could not write the key xl"), std::string::npos);
}

}  // namespace
}  // namespace lanzhou::core
