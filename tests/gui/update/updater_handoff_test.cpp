#include "client/update/updater_handoff.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/diagnostics.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::test {
namespace {

namespace fs = std::filesystem;
using update::HandOff;
using update::UpdaterLaunch;

class UpdaterHandOffTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    fs::path run() const { return fs::path(m_dir.path().toStdU16String()); }
    fs::path updater() const { return run() / update::updaterFileName(); }

    HandOff handOff(std::int32_t version = 28, std::string argument = "U",
                    std::string client = "C") const {
        return {platform::gbkFromPath(run()), version, std::move(argument), std::move(client)};
    }

    UpdaterLaunch handOffRecording(const HandOff& what, const QByteArray& bytes) {
        return update::handOffToUpdater(what, bytes, [this](const UpdaterLaunch& launch) {
            // The updater is in place when it is started.
            startedWith.push_back(platform::readFile(launch.program));
            launches.push_back(launch);
        });
    }

    QTemporaryDir m_dir;
    std::vector<UpdaterLaunch> launches;
    std::vector<std::optional<std::string>> startedWith;
};

const QByteArray kProgram(
    "\x7f"
    "ELF\0\1\2 updater bytes\r\n\xff",
    24);

TEST_F(UpdaterHandOffTest, WritesAMissingUpdaterExecutableThenStartsIt) {
    handOffRecording(handOff(), kProgram);
    ASSERT_EQ(launches.size(), 1u);
    ASSERT_TRUE(startedWith[0].has_value());
    EXPECT_EQ(*startedWith[0], kProgram.toStdString());
    const fs::perms perms = fs::status(updater()).permissions();
    EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none);
    EXPECT_NE(perms & fs::perms::owner_read, fs::perms::none);
}

TEST_F(UpdaterHandOffTest, StartsAStaleUpdaterUnchanged) {
    const std::string stale = "an older updater";
    ASSERT_TRUE(platform::writeFileAtomically(updater(), stale));
    const fs::perms before = fs::status(updater()).permissions();
    handOffRecording(handOff(), kProgram);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(platform::readFile(updater()), stale);
    EXPECT_EQ(fs::status(updater()).permissions(), before);
}

TEST_F(UpdaterHandOffTest, WithoutAnUpdaterBlockNothingIsWritten) {
    handOffRecording(handOff(), QByteArray());
    EXPECT_FALSE(fs::exists(updater()));
    EXPECT_EQ(launches.size(), 1u);  // tried all the same; it fails and the client ends
}

TEST_F(UpdaterHandOffTest, TheLaunch) {
    struct Case {
        std::string argument;  // GBK
        std::string client;    // GBK
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"U", "C", {"28", "U", "C"}},
        {G("ftp://更新.example/包 1.zip"),
         G("客户端.exe"),
         {"28", "ftp://更新.example/包 1.zip", "客户端.exe"}},
        {"", "C", {"28", "", "C"}},
    };
    for (const Case& c : cases) {
        launches.clear();
        const UpdaterLaunch launch = handOffRecording(handOff(28, c.argument, c.client), kProgram);
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(launches[0].program, updater());
        EXPECT_EQ(launches[0].arguments, c.arguments);
        EXPECT_EQ(launches[0].workingDirectory, run());
        EXPECT_EQ(launch.program, launches[0].program);
        EXPECT_EQ(launch.arguments, launches[0].arguments);
    }
    EXPECT_EQ(update::updaterFileName().rfind("update", 0), 0u);
}

// The default start: a stand-in updater that records what it was given.
TEST_F(UpdaterHandOffTest, StartsTheUpdaterDetachedInTheRunDirectory) {
    if (update::updaterFileName() != "update") {
        GTEST_SKIP() << "the stand-in updater is a shell script";
    }
    const QByteArray script(
        "#!/bin/sh\nprintf '%s|' \"$@\" > started.tmp\nmv started.tmp started\n");
    const UpdaterLaunch launch = update::handOffToUpdater(handOff(28, G("包 U"), "C"), script);
    EXPECT_EQ(launch.program, updater());
    const fs::path record = run() / "started";
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(record); }, 10000));
    EXPECT_EQ(platform::readFile(record), "28|包 U|C|");
}

// Nothing to write and nothing there: the start fails and is reported.
TEST_F(UpdaterHandOffTest, AFailedStartIsReported) {
    std::vector<std::string> reports;
    setDiagnosticSink([&](std::string_view area, std::string_view message) {
        reports.push_back(std::string(area) + ": " + std::string(message));
    });
    const UpdaterLaunch launch = update::handOffToUpdater(handOff(), QByteArray());
    setDiagnosticSink({});
    EXPECT_FALSE(fs::exists(launch.program));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("update: could not start the updater ")) << reports[0];
    EXPECT_NE(reports[0].find(update::updaterFileName()), std::string::npos) << reports[0];
}

}  // namespace
}  // namespace lanzhou::test
