// The real desktop client program, as a member starts it: what it tells the
// member when its command line cannot be used, and what it leaves on
// standard error (only its own diagnostics, none of its libraries' chatter).

#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "client/transport/tls_context.h"
#include "platform/child_process.h"
#include "platform/process_quit.h"
#include "tests/gui/support/scoped_env.h"
#include "tests/support/fake_service.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;

constexpr int kStartWait = 60'000;

// The environment of a member's terminal: no test settings for the sound,
// the browser or Qt's logging; the offscreen screen, the browser's sandbox
// off (tests run as root) and the probe that reports what was shown.
class MemberEnvironment final {
    ScopedEnv m_audio{"SDL_AUDIODRIVER", std::nullopt};
    ScopedEnv m_browser{"QTWEBENGINE_CHROMIUM_FLAGS", std::nullopt};
    ScopedEnv m_logging{"QT_LOGGING_RULES", std::nullopt};
    ScopedEnv m_server{"LANZHOU_SERVER", std::nullopt};
    ScopedEnv m_screen{"QT_QPA_PLATFORM", QByteArray("offscreen")};
    ScopedEnv m_sandbox{"QTWEBENGINE_DISABLE_SANDBOX", QByteArray("1")};
    ScopedEnv m_probe{"LANZHOU_STARTUP_PROBE", QByteArray("1")};
};

// `lanzhou` with its standard output and error collected as they come,
// started in `directory` (default: the current one).
class ClientProgram final {
public:
    explicit ClientProgram(const std::vector<std::string>& arguments,
                           const std::filesystem::path& directory = {}) {
        const std::filesystem::path previous = std::filesystem::current_path();
        if (!directory.empty()) {
            std::filesystem::current_path(directory);
        }
        m_child = platform::ChildProcess::start(LANZHOU_CLIENT_PATH, arguments);
        std::filesystem::current_path(previous);
        if (!m_child) {
            return;
        }
        m_outputReader =
            std::thread([this] { collect(&platform::ChildProcess::readOutput, m_output); });
        m_errorReader =
            std::thread([this] { collect(&platform::ChildProcess::readErrors, m_errors); });
    }
    ~ClientProgram() {
        if (m_child) {
            m_child->kill();
            (void)m_child->waitForExit(10s);
        }
        joinReaders();
    }

    bool started() const { return m_child != nullptr; }
    bool outputHas(const std::string& text) {
        return QTest::qWaitFor([&] { return output().find(text) != std::string::npos; },
                               kStartWait);
    }
    std::string output() const {
        const std::lock_guard lock(m_mutex);
        return m_output;
    }
    std::string errors() const {
        const std::lock_guard lock(m_mutex);
        return m_errors;
    }
    // Asks it to quit (what the updater does) and waits for its status and
    // for the last of what it wrote.
    std::optional<int> quit() {
        platform::askProcessToQuit(m_child->id());
        const std::optional<int> status = m_child->waitForExit(30s);
        if (status) {
            joinReaders();
        }
        return status;
    }

private:
    void joinReaders() {
        for (std::thread* reader : {&m_outputReader, &m_errorReader}) {
            if (reader->joinable()) {
                reader->join();
            }
        }
    }

    void collect(std::size_t (platform::ChildProcess::*read)(char*, std::size_t),
                 std::string& into) {
        char buffer[4096];
        for (;;) {
            const std::size_t got = (m_child.get()->*read)(buffer, sizeof buffer);
            if (got == 0) {
                return;
            }
            const std::lock_guard lock(m_mutex);
            into.append(buffer, got);
        }
    }

    std::unique_ptr<platform::ChildProcess> m_child;
    mutable std::mutex m_mutex;
    std::string m_output;
    std::string m_errors;
    std::thread m_outputReader;
    std::thread m_errorReader;
};

// The lines of `text` that are not the client's own ("lanzhou: ...").
std::vector<std::string> foreignLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && !line.starts_with("lanzhou: ") && !line.starts_with("(lanzhou ")) {
            lines.push_back(line);
        }
    }
    return lines;
}

// ---- a command line the client cannot use

TEST(ClientProgram, AMalformedServerIsToldInAPromptThenEndsWithStatusOne) {
    QTemporaryDir run;
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::optional<QByteArray> environment;
        std::string reason;
    };
    const std::string runDirectory = run.path().toStdString();
    const std::string noBundle = runDirectory + "/none.pem";
    const Case cases[] = {
        {"--server",
         {"--server", "nonsense", "--run-dir", runDirectory},
         std::nullopt,
         "--server wants HOST:PORT, got: nonsense"},
        {"LANZHOU_SERVER",
         {"--run-dir", runDirectory},
         QByteArray("127.0.0.1:port"),
         "LANZHOU_SERVER wants HOST:PORT, got: 127.0.0.1:port"},
        {"--minimized",
         {"--minimized", "--run-dir", runDirectory, "--minimized"},
         std::nullopt,
         "--minimized given twice"},
        {"--ca-file",
         {"--ca-file", noBundle, "--run-dir", runDirectory},
         std::nullopt,
         transport::tlsBuiltIn() ? "--ca-file: " + noBundle + ": No such file or directory"
                                 : "--ca-file: this build cannot speak TLS (it was made without "
                                   "OpenSSL)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemberEnvironment member;
        ScopedEnv server("LANZHOU_SERVER", c.environment);
        ClientProgram client(c.arguments);
        ASSERT_TRUE(client.started());
        ASSERT_TRUE(
            client.outputHas(std::string("lanzhou: prompt shown: 启动参数有误：") + c.reason))
            << client.output() << client.errors();
        EXPECT_EQ(client.quit(), 1);
        EXPECT_NE(client.errors().find(c.reason), std::string::npos) << "and for a terminal";
    }
}

// ---- where it connects and keeps its files

// The server named by LANZHOU_SERVER (what a client restarted by the updater
// inherits) and a run directory given relative to the current one.
TEST(ClientProgram, ConnectsToLanzhouServerAndUsesARelativeRunDirectory) {
    QTemporaryDir base;
    const std::filesystem::path basePath = base.path().toStdString();
    std::filesystem::create_directory(basePath / "run");
    FakeService service;
    MemberEnvironment member;
    const ScopedEnv server("LANZHOU_SERVER",
                           QByteArray("127.0.0.1:") + QByteArray::number(service.port()));

    ClientProgram client({"--run-dir", "run"}, basePath);
    ASSERT_TRUE(client.started());
    ASSERT_TRUE(service.server().waitForReceived(1, std::chrono::milliseconds(kStartWait)));
    EXPECT_EQ(service.server().received().front(), "#54");
    EXPECT_TRUE(std::filesystem::exists(basePath / "run" / "k_config.ini"));
    // Asked to quit from outside, as the updater does: it ends with status 0.
    EXPECT_EQ(client.quit(), 0) << client.errors();
}

// ---- standard error

TEST(ClientProgram, StandardErrorKeepsOnlyTheClientsOwnLines) {
    FakeService service(demoScript());
    ASSERT_NE(service.port(), 0);
    QTemporaryDir run;
    struct Case {
        const char* what;
        int port;
        const char* shown;
    };
    const Case cases[] = {
        // The login window: the browser shows the bulletin.
        {"started", service.port(), "lanzhou: login window shown"},
        // The connection prompt: its chime opens the sound output.
        {"no server", 9, "lanzhou: prompt shown: "},  // nobody listens on the discard port
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemberEnvironment member;
        ClientProgram client({"--server", "127.0.0.1:" + std::to_string(c.port), "--run-dir",
                              run.path().toStdString()});
        ASSERT_TRUE(client.started());
        ASSERT_TRUE(client.outputHas(c.shown)) << client.output() << client.errors();
        QTest::qWait(1500);  // what comes a little later (the page, the sound) too
        EXPECT_EQ(client.quit(), 0);
        EXPECT_EQ(foreignLines(client.errors()), std::vector<std::string>{}) << client.errors();
    }
}

}  // namespace
}  // namespace lanzhou::test
