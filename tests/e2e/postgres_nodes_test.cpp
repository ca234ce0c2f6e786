// Two lanzhou-server processes ("nodes") on one PostgreSQL database of this
// program's throwaway cluster, members as lanzhou-cli processes on both: an
// operator command reaches the members of every node.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/core/texts.h"
#include "protocol/date_time.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/server_process.h"
#include "tests/support/postgres_cluster.h"

namespace lanzhou::test {
namespace {

namespace text = core::text;

class TwoPostgresNodes : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        PostgresCluster* cluster = sharedPostgresCluster(error);
        ASSERT_TRUE(cluster) << error;
        m_cluster = cluster;
        const std::string name = cluster->createDatabase(error);
        ASSERT_FALSE(name.empty()) << error;
        m_uri = cluster->uri(name);
        m_directory = std::filesystem::temp_directory_path() /
                      ("lanzhou-nodes-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::create_directories(m_directory);
        // Servers and operator commands alike find the password where libpq
        // looks: host:port:database:user:password.
        std::string password;
        std::getline(std::ifstream(cluster->passwordFile()), password);
        const auto passFile = m_directory / "pgpass";
        std::ofstream(passFile) << "127.0.0.1:" << cluster->port()
                                << ":*:" << PostgresCluster::kUser << ":" << password << "\n";
        ::chmod(passFile.c_str(), 0600);
        ::setenv("PGPASSFILE", passFile.c_str(), 1);
        for (std::size_t node = 0; node < m_nodes.size(); ++node) {
            startNode(node);
        }
    }

    void TearDown() override {
        m_members.clear();
        for (auto& node : m_nodes) {
            node.reset();
        }
        ::unsetenv("PGPASSFILE");
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    std::string command(std::vector<std::string> arguments) {
        arguments.push_back("--db");
        arguments.push_back(m_uri);
        const CommandResult result = runServerCommand(arguments);
        EXPECT_EQ(result.status, 0) << arguments[0] << " " << arguments[1] << ": " << result.err;
        return result.out.substr(0, result.out.find('\n'));
    }

    void startNode(std::size_t node) {
        m_nodes[node] = std::make_unique<ServerProcess>(
            std::vector<std::string>{"--db", m_uri, "--listen", "127.0.0.1:0"});
        ASSERT_NE(m_nodes[node]->port(), 0) << m_nodes[node]->errorOutput();
    }

    // A paying member, logged in on `node`.
    CliProcess& member(const std::string& account, std::size_t node) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now).count();
        command({"account", "add", "--name", account, "--password", account, "--type", "1",
                 "--expiry",
                 protocol::formatDateTime(protocol::DateTime::fromTotalSeconds(seconds + 86400))});
        return logIn(account, node);
    }

    // A session of an existing member on `node`, logged in.
    CliProcess& logIn(const std::string& account, std::size_t node) {
        auto& cli = connect(node);
        cli.sendJson({{"cmd", "login"}, {"account", account}, {"password", account}});
        EXPECT_TRUE(cli.waitForEvent("main")) << account << ": " << cli.errorOutput();
        EXPECT_TRUE(cli.waitForEvent("lists_reset"));
        return cli;
    }

    // A client at the login form of `node`.
    CliProcess& connect(std::size_t node) {
        const auto runDirectory = m_directory / ("member-" + std::to_string(m_members.size()));
        std::filesystem::create_directories(runDirectory);
        m_members.push_back(std::make_unique<CliProcess>(std::vector<std::string>{
            "--server", "127.0.0.1:" + std::to_string(m_nodes[node]->port()), "--run-dir",
            runDirectory.string()}));
        auto& cli = *m_members.back();
        EXPECT_TRUE(cli.waitForEvent("bulletin")) << cli.errorOutput();
        return cli;
    }

    std::string publish(const std::string& code) {
        return command({"alert", "publish", "--code", code, "--name", "s", "--operation", "buy",
                        "--buy", "10.5", "--sell", "11.0", "--remark", "r", "--audience", "1",
                        "--popup", "0"});
    }

    // The stock codes of the rows a member received, in the order received.
    static std::vector<std::string> receivedCodes(CliProcess& cli, std::size_t count) {
        std::vector<std::string> codes;
        for (std::size_t n = 1; n <= count; ++n) {
            const auto inserted = cli.waitForEvent("row_inserted", n, std::chrono::seconds(20));
            if (!inserted) {
                break;
            }
            for (const auto& cell : (*inserted)["cells"]) {
                if (cell.is_string() && cell.get<std::string>().size() == 6 &&
                    cell.get<std::string>().starts_with("700")) {
                    codes.push_back(cell);
                    break;
                }
            }
        }
        return codes;
    }

    static std::vector<std::string> codesFrom(int first, int count) {
        std::vector<std::string> codes;
        for (int i = first; i < first + count; ++i) {
            codes.push_back(std::to_string(700000 + i));
        }
        return codes;
    }

    PostgresCluster* m_cluster = nullptr;

    std::string m_uri;
    std::filesystem::path m_directory;
    std::array<std::unique_ptr<ServerProcess>, 2> m_nodes;
    std::vector<std::unique_ptr<CliProcess>> m_members;
};

TEST_F(TwoPostgresNodes, OperatorCommandsReachTheMembersOfEveryNode) {
    std::array<CliProcess*, 2> members{&member("first", 0), &member("second", 1)};

    const std::string id = command({"alert", "publish", "--code", "600100", "--name", "s",
                                    "--operation", "buy", "--buy", "10.5", "--sell", "11.0",
                                    "--remark", "r", "--audience", "1", "--popup", "0"});
    ASSERT_FALSE(id.empty());
    for (CliProcess* cli : members) {
        const auto inserted = cli->waitForEvent("row_inserted");
        ASSERT_TRUE(inserted) << cli->errorOutput();
        EXPECT_THAT((*inserted)["cells"].dump(), ::testing::HasSubstr("600100"));
    }
    command({"alert", "update", "--id", id, "--remark", "revised"});
    for (CliProcess* cli : members) {
        const auto changed = cli->waitForEvent("row_changed");
        ASSERT_TRUE(changed);
        EXPECT_THAT(changed->dump(), ::testing::HasSubstr("revised"));
    }
    command({"alert", "remove", "--id", id});
    command({"notice", "publish", "--title", "Holiday", "--body", "Closed", "--stars", "3",
             "--channel", "1", "--popup", "1"});
    for (CliProcess* cli : members) {
        EXPECT_TRUE(cli->waitForEvent("row_removed"));
        EXPECT_TRUE(cli->waitForEvent("popup"));
    }
}

TEST_F(TwoPostgresNodes, AKickReachesTheNodeTheMemberIsOn) {
    auto& onFirst = member("first", 0);
    auto& onSecond = member("second", 1);
    command({"kick", "second"});
    const auto offline = onSecond.waitForEvent("offline");
    ASSERT_TRUE(offline);
    EXPECT_EQ((*offline)["text"], text::kKickedByAdministrator);
    command({"kick", "first"});
    ASSERT_TRUE(onFirst.waitForEvent("offline"));
    EXPECT_EQ(onSecond.eventsNamed("offline").size(), 1u);
}

TEST_F(TwoPostgresNodes, ALoginOnOneNodeEndsTheSessionOnTheOther) {
    auto& first = member("roaming", 0);
    auto& second = logIn("roaming", 1);
    const auto offline = first.waitForEvent("offline");
    ASSERT_TRUE(offline) << first.errorOutput();
    EXPECT_EQ((*offline)["text"], text::kLoggedInElsewhere);
    // Back on the first node: now the second session ends, and only it.
    auto& third = logIn("roaming", 0);
    ASSERT_TRUE(second.waitForEvent("offline"));
    publish("700001");
    EXPECT_EQ(receivedCodes(third, 1), codesFrom(1, 1));
    EXPECT_EQ(first.eventsNamed("offline").size(), 1u);
    EXPECT_TRUE(third.eventsNamed("offline").empty());
}

TEST_F(TwoPostgresNodes, ANodeKilledLosesNothingAndTheOtherGoesOnServing) {
    auto& staying = member("staying", 1);
    member("moving", 0);
    constexpr int kAlerts = 12;
    for (int i = 0; i < kAlerts; ++i) {
        if (i == kAlerts / 3) {
            m_nodes[0]->kill();
        }
        ASSERT_FALSE(publish(std::to_string(700000 + i)).empty());
    }
    EXPECT_EQ(receivedCodes(staying, kAlerts), codesFrom(0, kAlerts));

    // The member of the killed node logs in on the other; the restarted node
    // serves again, and both see what was published meanwhile, once.
    auto& moved = logIn("moving", 1);
    startNode(0);
    auto& back = member("returning", 0);
    for (CliProcess* cli : {&moved, &back}) {
        cli->sendJson({{"cmd", "lists"}});
        const auto lists = cli->waitForEvent("lists");
        ASSERT_TRUE(lists);
        EXPECT_EQ((*lists)["today"].size(), static_cast<std::size_t>(kAlerts)) << lists->dump();
    }
    publish("700099");
    EXPECT_EQ(receivedCodes(back, 1), std::vector<std::string>{"700099"});
    EXPECT_EQ(receivedCodes(staying, kAlerts + 1).back(), "700099");
}

TEST_F(TwoPostgresNodes, ADatabaseRestartKeepsTheMembersAndTheNodesCatchUp) {
    std::array<CliProcess*, 2> members{&member("one", 0), &member("two", 1)};
    m_cluster->stop();
    // A request that needs the database gets its failure answer.
    auto& refused = connect(0);
    refused.sendJson({{"cmd", "login"}, {"account", "one"}, {"password", "one"}});
    ASSERT_TRUE(refused.waitForEvent("prompt")) << refused.errorOutput();
    std::string error;
    ASSERT_TRUE(m_cluster->startAgain(error)) << error;

    publish("700001");
    publish("700002");
    for (CliProcess* cli : members) {
        EXPECT_EQ(receivedCodes(*cli, 2), codesFrom(1, 2)) << cli->errorOutput();
        EXPECT_TRUE(cli->eventsNamed("offline").empty());
    }
    EXPECT_TRUE(refused.eventsNamed("main").empty());
}

}  // namespace
}  // namespace lanzhou::test
