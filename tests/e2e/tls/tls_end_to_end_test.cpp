// lanzhou-cli against a lanzhou-server that listens for TLS only, with
// certificates of a throwaway authority: what a member does in a day, every
// byte of it inside TLS, and the addresses that must not work.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "client/core/texts.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/server_process.h"
#include "tests/support/local_clock.h"
#include "tests/support/test_pki.h"

namespace lanzhou::test {
namespace {

using nlohmann::json;
namespace text = core::text;

class TlsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_directory =
            std::filesystem::temp_directory_path() /
            ("lanzhou-e2e-tls-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_directory);
        m_database = (m_directory / "service.db").string();
        std::string error;
        m_pki = TestPki::make(error);
        ASSERT_TRUE(m_pki) << error;
        command({"account", "add", "--name", "demo", "--password", "demo", "--qq", "10001",
                 "--phone", "13800000000", "--type", "1", "--expiry", localTimeInDays(365)});
        m_server = std::make_unique<ServerProcess>(std::vector<std::string>{
            "--db", m_database, "--tls-listen", "127.0.0.1:0", "--tls-cert",
            m_pki->good().certificate.string(), "--tls-key", m_pki->good().key.string()});
        ASSERT_NE(m_server->tlsPort(), 0) << m_server->errorOutput();
    }

    void TearDown() override {
        m_members.clear();
        m_server.reset();
        m_pki.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    std::string command(std::vector<std::string> arguments) {
        arguments.push_back("--db");
        arguments.push_back(m_database);
        const CommandResult result = runServerCommand(arguments);
        EXPECT_EQ(result.status, 0) << arguments[0] << " " << arguments[1] << ": " << result.err;
        return result.out.substr(0, result.out.find('\n'));
    }

    // A member's client at `server`, trusting the test authority.
    CliProcess& start(const std::string& server) {
        const auto runDirectory = m_directory / ("member-" + std::to_string(m_members.size()));
        std::filesystem::create_directories(runDirectory);
        m_members.push_back(std::make_unique<CliProcess>(
            std::vector<std::string>{"--server", server, "--ca-file", m_pki->authority().string(),
                                     "--run-dir", runDirectory.string()}));
        return *m_members.back();
    }

    std::string tlsAddress(const std::string& host) const {
        return "tls://" + host + ":" + std::to_string(m_server->tlsPort());
    }

    // A client that finished the handshake over TLS.
    CliProcess& connect() {
        auto& cli = start(tlsAddress("localhost"));
        EXPECT_TRUE(cli.waitForEvent("bulletin")) << cli.errorOutput();
        return cli;
    }

    static std::string prompt(CliProcess& cli, std::size_t nth = 1) {
        const auto event = cli.waitForEvent("prompt", nth);
        return event ? event->value("text", "") : "(no prompt)";
    }

    std::filesystem::path m_directory;
    std::string m_database;
    std::unique_ptr<TestPki> m_pki;
    std::unique_ptr<ServerProcess> m_server;
    std::vector<std::unique_ptr<CliProcess>> m_members;
};

TEST_F(TlsEndToEnd, RegisterLogInLiveAlertAndRetrievePasswordAllInsideTls) {
    // The server opened no plain listener: TLS is the only way in.
    EXPECT_EQ(m_server->port(), 0);

    auto& newcomer = connect();
    newcomer.sendJson({{"cmd", "register"},
                       {"account", "newbie"},
                       {"password", "secret"},
                       {"repeat", "secret"},
                       {"qq", "10002"},
                       {"phone", "13900000000"}});
    EXPECT_EQ(prompt(newcomer), text::kRegisterSucceeded);
    newcomer.sendJson({{"cmd", "retrieve_password"},
                       {"account", "newbie"},
                       {"qq", "10002"},
                       {"phone", "13900000000"}});
    const auto retrieved = newcomer.waitForEvent("retrieved_password");
    ASSERT_TRUE(retrieved) << newcomer.errorOutput();
    EXPECT_EQ((*retrieved)["password"], "secret");

    auto& member = connect();
    member.sendJson({{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}});
    ASSERT_TRUE(member.waitForEvent("main")) << member.errorOutput();
    ASSERT_TRUE(member.waitForEvent("lists_reset"));
    const std::string id = command(
        {"alert",      "publish", "--code",  "600100", "--name", "stock600100",     "--operation",
         "buy",        "--buy",   "10.5",    "--sell", "11.0",   "--remark",        "r",
         "--audience", "1",       "--popup", "0",      "--time", localTimeInDays(0)});
    ASSERT_FALSE(id.empty());
    const auto inserted = member.waitForEvent("row_inserted");
    ASSERT_TRUE(inserted) << member.errorOutput();
    EXPECT_THAT((*inserted)["cells"].dump(), ::testing::HasSubstr("600100"));
    EXPECT_TRUE(member.strayLines().empty());
}

// Without the authority the member's system does not trust the server, and
// the TLS port spoken to in plain text is no server at all: neither reaches
// the login window, and the first ends as a failed connection (exit 2).
TEST_F(TlsEndToEnd, AnUntrustedServerAndAPlainAddressNeverReachTheLoginWindow) {
    const auto runDirectory = m_directory / "untrusting";
    std::filesystem::create_directories(runDirectory);
    CliProcess untrusting(
        {"--server", tlsAddress("localhost"), "--run-dir", runDirectory.string()});
    EXPECT_EQ(prompt(untrusting), text::kConnectFailed) << untrusting.errorOutput();
    EXPECT_EQ(untrusting.waitForExit(), 2);
    EXPECT_TRUE(untrusting.eventsNamed("bulletin").empty());

    auto& plain = start("127.0.0.1:" + std::to_string(m_server->tlsPort()));
    EXPECT_TRUE(plain.waitForExit()) << plain.errorOutput();
    EXPECT_TRUE(plain.eventsNamed("bulletin").empty());
}

}  // namespace
}  // namespace lanzhou::test
