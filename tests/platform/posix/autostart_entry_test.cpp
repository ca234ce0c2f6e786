// The XDG autostart entry: where it is written, what it holds, and the
// program quoted as a desktop entry's Exec value wants it.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/autostart.h"
#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"

namespace lanzhou::platform {
namespace {

namespace fs = std::filesystem;

// An environment variable set (or removed, with nullopt) for one test.
class ScopedVariable final {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = getenv(name)) {
            m_old = old;
        }
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

constexpr std::string_view kName = "lanzhou-entry-test";

TEST(AutostartEntry, WrittenInTheConfigurationHomeWithTheMinimizedStart) {
    test::ScratchDirectory scratch;
    const ScopedVariable config("XDG_CONFIG_HOME", (scratch.path() / "cfg").string());
    ASSERT_TRUE(registerAutostart(kName, "/opt/lanzhou/bin/lanzhou"));
    EXPECT_EQ(readFile(scratch.path() / "cfg" / "autostart" / "lanzhou-entry-test.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=lanzhou-entry-test\n"
              "Exec=/opt/lanzhou/bin/lanzhou --minimized\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(unregisterAutostart(kName));
    EXPECT_FALSE(fs::exists(scratch.path() / "cfg" / "autostart" / "lanzhou-entry-test.desktop"));
}

TEST(AutostartEntry, FolderComesFromTheEnvironment) {
    struct Case {
        const char* what;
        std::optional<std::string> configHome;  // relative to the scratch folder unless absolute
        bool homeSet;
        std::optional<std::string> expectedFolder;  // relative to the scratch folder
    };
    const Case cases[] = {
        {"configuration home", "/cfg", true, "cfg/autostart"},
        {"unset: the home's .config", std::nullopt, true, "home/.config/autostart"},
        {"empty: the home's .config", "", true, "home/.config/autostart"},
        {"relative: the home's .config", "relative", true, "home/.config/autostart"},
        {"neither", std::nullopt, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchDirectory scratch;
        std::optional<std::string> configHome = c.configHome;
        if (configHome && configHome->starts_with('/')) {
            configHome = scratch.path().string() + *configHome;
        }
        const ScopedVariable config("XDG_CONFIG_HOME", configHome);
        const ScopedVariable home(
            "HOME", c.homeSet ? std::optional<std::string>((scratch.path() / "home").string())
                              : std::nullopt);
        EXPECT_EQ(registerAutostart(kName, "/usr/bin/lanzhou"), c.expectedFolder.has_value());
        if (c.expectedFolder) {
            EXPECT_TRUE(fs::is_regular_file(scratch.path() / *c.expectedFolder /
                                            "lanzhou-entry-test.desktop"));
            EXPECT_TRUE(isAutostartRegistered(kName));
        }
        EXPECT_TRUE(unregisterAutostart(kName));
        EXPECT_FALSE(isAutostartRegistered(kName));
    }
}

TEST(AutostartEntry, ProgramIsQuotedAndEscapedForTheExecValue) {
    struct Case {
        const char* program;
        const char* exec;
    };
    const Case cases[] = {
        {"/usr/bin/lanzhou", "/usr/bin/lanzhou --minimized"},
        {"/home/a b/lanzhou", R"("/home/a b/lanzhou" --minimized)"},
        {"/opt/100%/lanzhou", "/opt/100%%/lanzhou --minimized"},
        {"/opt/50% off/lanzhou", R"("/opt/50%% off/lanzhou" --minimized)"},
        // Inside quotes '"', '`', '$' and '\' take a backslash; then the
        // value's own escapes double every backslash.
        {R"(/opt/"q"/lanzhou)", R"("/opt/\\"q\\"/lanzhou" --minimized)"},
        {"/opt/$HOME/lanzhou", R"("/opt/\\$HOME/lanzhou" --minimized)"},
        {"/opt/`x`/lanzhou", R"("/opt/\\`x\\`/lanzhou" --minimized)"},
        {R"(/opt/back\slash/lanzhou)", R"("/opt/back\\\\slash/lanzhou" --minimized)"},
        {"/opt/it's/lanzhou", R"("/opt/it's/lanzhou" --minimized)"},
        {"/opt/line\nbreak/lanzhou", R"("/opt/line\nbreak/lanzhou" --minimized)"},
        {"/opt/tab\there/lanzhou", R"("/opt/tab\there/lanzhou" --minimized)"},
        {"/opt/a;b&c|d/lanzhou", R"("/opt/a;b&c|d/lanzhou" --minimized)"},
        {"/opt/股票/lanzhou", "/opt/股票/lanzhou --minimized"},
    };
    test::ScratchDirectory scratch;
    const ScopedVariable config("XDG_CONFIG_HOME", scratch.path().string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(autostartCommand(c.program), c.exec);
        ASSERT_TRUE(registerAutostart(kName, c.program));
        EXPECT_EQ(registeredAutostartCommand(kName), c.exec);
    }
}

TEST(AutostartEntry, FailuresAreReportedAndLeaveNoEntry) {
    test::ScratchDirectory scratch;
    {
        // The configuration home is a file: no folder can be made in it.
        ASSERT_TRUE(writeFileAtomically(scratch.path() / "file", "x"));
        const ScopedVariable config("XDG_CONFIG_HOME", (scratch.path() / "file").string());
        EXPECT_FALSE(registerAutostart(kName, "/usr/bin/lanzhou"));
        EXPECT_FALSE(isAutostartRegistered(kName));
    }
    {
        // A control character a desktop entry cannot hold.
        const ScopedVariable config("XDG_CONFIG_HOME", scratch.path().string());
        EXPECT_FALSE(registerAutostart(kName, "/opt/bell\a/lanzhou"));
        EXPECT_FALSE(isAutostartRegistered(kName));
    }
}

}  // namespace
}  // namespace lanzhou::platform
