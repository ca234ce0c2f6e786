// A write of k_config.ini cut short by a kill can leave its temporary file
// beside it; the next start removes it and nothing else.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "client/core/session_core.h"
#include "platform/file_io.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

TEST(ConfigLeftovers, TheNextStartRemovesTemporaryFilesOfTheConfigurationOnly) {
    TempRunDirectory run;
    const std::string kept = "[config]\r\nxl=1\r\nhint1=0";
    ASSERT_TRUE(platform::writeFileAtomically(run.path() / "k_config.ini", kept));
    const std::set<std::string> leftovers = {"k_config.ini.tmp2718281828-3", "k_config.ini.tmp0-1"};
    const std::set<std::string> others = {"k_config.ini.tmp",        "k_config.ini.tmpx-1",
                                          "k_config.ini.tmp1-2.bak", "k_config.ini.tmp1-",
                                          "ver.txt.tmp2718281828-3", "k_config.ini.bak",
                                          "my k_config.ini.tmp1-2"};
    for (const auto& name : leftovers) {
        ASSERT_TRUE(platform::writeFileAtomically(run.path() / name, "[config]\r\nxl="));
    }
    for (const auto& name : others) {
        ASSERT_TRUE(platform::writeFileAtomically(run.path() / name, "someone else's"));
    }

    ManualScheduler scheduler;
    FakeSessionView view;
    core::SessionCore::Options options;
    options.runDirectory = run.gbkText();
    options.adapterAddress = [] { return std::string("00-1A-2B-3C-4D-5E"); };
    core::SessionCore core(scheduler, view, std::move(options));

    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(run.path())) {
        present.insert(entry.path().filename().string());
    }
    std::set<std::string> expected = others;
    expected.insert("k_config.ini");
    EXPECT_EQ(present, expected);
    EXPECT_EQ(platform::readFile(run.path() / "k_config.ini"), kept);
    EXPECT_EQ(core.startupSettings().xl, "1");
    EXPECT_FALSE(core.startupSettings().soundHint) << "the configuration itself is read as it was";
}

}  // namespace
}  // namespace lanzhou::test
