// The lanzhou program as a member starts it: the server named by
// LANZHOU_SERVER (what a client restarted by the updater inherits) and a run
// directory given relative to the current one.

#ifdef LANZHOU_DESKTOP_PATH

#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/child_process.h"
#include "platform/process_quit.h"
#include "tests/gui/support/scoped_env.h"
#include "tests/support/fake_service.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kWait = 30s;  // the first start of the browser engine is slow

// The desktop program started in `directory` with `arguments`; its output
// and errors are read on threads of their own so that it never blocks on
// them.
class DesktopProgram final {
public:
    DesktopProgram(const fs::path& directory, const std::vector<std::string>& arguments) {
        const fs::path previous = fs::current_path();
        fs::current_path(directory);
        m_child = platform::ChildProcess::start(LANZHOU_DESKTOP_PATH, arguments);
        fs::current_path(previous);
        if (m_child) {
            m_output = std::thread([this] { drain(&platform::ChildProcess::readOutput, nullptr); });
            m_errors =
                std::thread([this] { drain(&platform::ChildProcess::readErrors, &m_errorText); });
        }
    }
    ~DesktopProgram() {
        if (m_child && !waitForExit(0ms)) {
            m_child->kill();
            waitForExit(kWait);
        }
    }

    bool started() const { return m_child != nullptr; }
    platform::ChildProcess& child() { return *m_child; }
    // What the program wrote to standard error, complete once it has ended.
    const std::string& errors() const { return m_errorText; }

    std::optional<int> waitForExit(std::chrono::milliseconds limit = kWait) {
        const auto status = m_child->waitForExit(limit);
        if (status) {
            // Its pipes are closed: the readers come to their end.
            for (std::thread* reader : {&m_output, &m_errors}) {
                if (reader->joinable()) {
                    reader->join();
                }
            }
        }
        return status;
    }

private:
    void drain(std::size_t (platform::ChildProcess::*read)(char*, std::size_t), std::string* keep) {
        char buffer[4096];
        for (std::size_t count; (count = (m_child.get()->*read)(buffer, sizeof buffer)) > 0;) {
            if (keep != nullptr) {
                keep->append(buffer, count);
            }
        }
    }

    std::unique_ptr<platform::ChildProcess> m_child;
    std::string m_errorText;
    std::thread m_output;
    std::thread m_errors;
};

TEST(DesktopProgram, ConnectsToLanzhouServerAndUsesARelativeRunDirectory) {
    QTemporaryDir base;
    ASSERT_TRUE(QDir(base.path()).mkpath(QStringLiteral("run")));
    FakeService service;
    const ScopedEnv server("LANZHOU_SERVER",
                           QByteArray("127.0.0.1:") + QByteArray::number(service.port()));

    DesktopProgram program(base.path().toStdString(), {"--run-dir", "run"});
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(service.server().waitForReceived(1, kWait));
    EXPECT_EQ(service.server().received().front(), "#54");
    EXPECT_TRUE(fs::exists(fs::path(base.path().toStdString()) / "run" / "k_config.ini"));

    // Asked to quit from outside, as the updater does: it ends with status 0.
    EXPECT_TRUE(platform::askProcessToQuit(program.child().id()));
    EXPECT_EQ(program.waitForExit(), 0) << program.errors();
}

TEST(DesktopProgram, RefusesALanzhouServerThatIsNoAddress) {
    QTemporaryDir base;
    const ScopedEnv server("LANZHOU_SERVER", "no address");
    DesktopProgram program(base.path().toStdString(), {"--run-dir", "."});
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.waitForExit(), 1);
    EXPECT_NE(program.errors().find("LANZHOU_SERVER"), std::string::npos) << program.errors();
}

}  // namespace
}  // namespace lanzhou::test

#endif  // LANZHOU_DESKTOP_PATH
