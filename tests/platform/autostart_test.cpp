// Starting with the desktop session: an entry written, read back, replaced
// and removed through the system's own place (the XDG folder in a scratch
// configuration home here, the current user's Run key on Windows).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <list>
#include <string>

#include "platform/autostart.h"
#include "tests/core/scratch_directory.h"

namespace lanzhou::platform {
namespace {

// putenv keeps the text it is given: every text set lives to the end.
void setEnvironment(const std::string& assignment) {
    static std::list<std::string> kept;
    kept.push_back(assignment);
    ASSERT_EQ(putenv(kept.back().data()), 0);
}

class Autostart : public ::testing::Test {
protected:
    Autostart() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_oldConfigHome = old != nullptr ? old : "";
        setEnvironment("XDG_CONFIG_HOME=" + (m_scratch.path() / "config").string());
    }
    ~Autostart() override {
        unregisterAutostart(m_name);
        setEnvironment("XDG_CONFIG_HOME=" + m_oldConfigHome);
    }

    test::ScratchDirectory m_scratch;
    std::string m_oldConfigHome;
    // Not the client's own entry: a test never touches what the member set up.
    const std::string m_name = "lanzhou-test-" + m_scratch.path().filename().string();
};

TEST_F(Autostart, EntryIsWrittenReadBackReplacedAndRemoved) {
    const std::filesystem::path first = m_scratch.path() / "first dir" / "lanzhou";
    const std::filesystem::path second = m_scratch.path() / "second" / "lanzhou";
    EXPECT_FALSE(isAutostartRegistered(m_name));
    EXPECT_EQ(registeredAutostartCommand(m_name), std::nullopt);

    ASSERT_TRUE(registerAutostart(m_name, first));
    EXPECT_TRUE(isAutostartRegistered(m_name));
    EXPECT_EQ(registeredAutostartCommand(m_name), autostartCommand(first));

    ASSERT_TRUE(registerAutostart(m_name, second));
    EXPECT_EQ(registeredAutostartCommand(m_name), autostartCommand(second));

    EXPECT_TRUE(unregisterAutostart(m_name));
    EXPECT_FALSE(isAutostartRegistered(m_name));
    EXPECT_EQ(registeredAutostartCommand(m_name), std::nullopt);
    EXPECT_TRUE(unregisterAutostart(m_name));  // nothing left to remove
}

}  // namespace
}  // namespace lanzhou::platform
