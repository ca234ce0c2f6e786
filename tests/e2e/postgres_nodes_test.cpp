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
        for (auto& node : m_nodes) {
            node = std::make_unique<ServerProcess>(
                std::vector<std::string>{"--db", m_uri, "--listen", "127.0.0.1:0"});
            ASSERT_NE(node->port(), 0) << node->errorOutput();
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

    // A paying member, logged in on `node`.
    CliProcess& member(const std::string& account, std::size_t node) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now).count();
        command({"account", "add", "--name", account, "--password", account, "--type", "1",
                 "--expiry",
                 protocol::formatDateTime(protocol::DateTime::fromTotalSeconds(seconds + 86400))});
        const auto runDirectory = m_directory / ("member-" + std::to_string(m_members.size()));
        std::filesystem::create_directories(runDirectory);
        m_members.push_back(std::make_unique<CliProcess>(std::vector<std::string>{
            "--server", "127.0.0.1:" + std::to_string(m_nodes[node]->port()), "--run-dir",
            runDirectory.string()}));
        auto& cli = *m_members.back();
        EXPECT_TRUE(cli.waitForEvent("bulletin")) << cli.errorOutput();
        cli.sendJson({{"cmd", "login"}, {"account", account}, {"password", account}});
        EXPECT_TRUE(cli.waitForEvent("main")) << account << ": " << cli.errorOutput();
        EXPECT_TRUE(cli.waitForEvent("lists_reset"));
        return cli;
    }

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

}  // namespace
}  // namespace lanzhou::test
