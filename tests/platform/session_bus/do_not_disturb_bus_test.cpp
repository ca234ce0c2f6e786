// The desktop's do-not-disturb as a notification service on a private session
// bus reports it, and every way of not having one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/do_not_disturb.h"

namespace lanzhou::platform {
namespace {

// The child's first line of output ("" when it ended without one).
std::string firstLine(ChildProcess& child) {
    std::string line;
    char c = 0;
    while (child.readOutput(&c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

std::string allErrors(ChildProcess& child) {
    child.kill();
    std::string text;
    char buffer[512];
    for (std::size_t got; (got = child.readErrors(buffer, sizeof buffer)) > 0;) {
        text.append(buffer, got);
    }
    return text;
}

// Sets an environment variable for the test's life and puts back the old value.
class ScopedVariable final {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        set(value);
    }
    ~ScopedVariable() { set(m_old ? m_old->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const char* value) {
        if (value != nullptr) {
            ::setenv(m_name, value, 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

class DoNotDisturbOnTheSessionBus : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(LANZHOU_DBUS_DAEMON) ||
            !std::filesystem::exists(LANZHOU_BUS_PYTHON3)) {
            GTEST_SKIP() << "no dbus-daemon or python3";
        }
        const auto modules = ChildProcess::start(
            LANZHOU_BUS_PYTHON3, {"-c", "import dbus.service, dbus.mainloop.glib, gi"});
        ASSERT_TRUE(modules);
        if (modules->waitForExit(std::chrono::seconds(30)) != 0) {
            GTEST_SKIP() << "python3 without its dbus and gi modules";
        }
        m_daemon =
            ChildProcess::start(LANZHOU_DBUS_DAEMON, {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(m_daemon);
        const std::string address = firstLine(*m_daemon);
        ASSERT_FALSE(address.empty()) << allErrors(*m_daemon);
        m_address = std::make_unique<ScopedVariable>("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    }

    // A notification service in `mode` (see fake_notifications.py).
    static std::unique_ptr<ChildProcess> startService(const std::string& mode) {
        auto service = ChildProcess::start(LANZHOU_BUS_PYTHON3, {LANZHOU_FAKE_NOTIFICATIONS, mode});
        if (!service) {
            ADD_FAILURE() << "python3 not started";
            return nullptr;
        }
        if (firstLine(*service) != "ready") {
            ADD_FAILURE() << allErrors(*service);
            return nullptr;
        }
        return service;
    }

    std::unique_ptr<ChildProcess> m_daemon;
    std::unique_ptr<ScopedVariable> m_address;
};

TEST_F(DoNotDisturbOnTheSessionBus, InhibitedPropertyIsTheAnswer) {
    EXPECT_FALSE(askDesktopDoNotDisturb()) << "no notification service";
    struct Case {
        std::string mode;
        bool on;
    };
    // "silent" never answers: the question gives up after its limit, and the
    // bus is left alone for a while, even once a service would answer.
    for (const Case& c : std::vector<Case>{{"true", true},
                                           {"false", false},
                                           {"none", false},
                                           {"true", true},
                                           {"silent", false},
                                           {"true", false}}) {
        SCOPED_TRACE(c.mode);
        auto service = startService(c.mode);
        ASSERT_TRUE(service);
        EXPECT_EQ(askDesktopDoNotDisturb(), c.on);
    }
}

TEST_F(DoNotDisturbOnTheSessionBus, NoSessionBusIsOff) {
    auto service = startService("true");
    ASSERT_TRUE(service);
    ASSERT_TRUE(askDesktopDoNotDisturb());
    ScopedVariable noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
    ScopedVariable noRuntime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_FALSE(askDesktopDoNotDisturb());
    // A runtime folder without the bus's socket is no bus either.
    ScopedVariable emptyRuntime("XDG_RUNTIME_DIR", std::filesystem::temp_directory_path().c_str());
    EXPECT_FALSE(askDesktopDoNotDisturb());
}

TEST_F(DoNotDisturbOnTheSessionBus, TheOverrideStandsUntilItIsTakenAway) {
    auto service = startService("true");
    ASSERT_TRUE(service);
    overrideDesktopDoNotDisturb(false);
    EXPECT_FALSE(desktopDoNotDisturb());
    overrideDesktopDoNotDisturb(std::nullopt);
    EXPECT_TRUE(desktopDoNotDisturb());
}

}  // namespace
}  // namespace lanzhou::platform
