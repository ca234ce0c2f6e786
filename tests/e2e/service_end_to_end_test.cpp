// lanzhou-cli against a real lanzhou-server process: a temporary database
// seeded with operator commands, one server per test, members as CLI
// processes, live changes made with the operator commands while it runs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "client/core/texts.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "platform/file_io.h"
#include "protocol/date_time.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/server_process.h"
#include "tests/support/local_clock.h"

namespace lanzhou::test {
namespace {

using nlohmann::json;
namespace text = core::text;

class ServiceEndToEnd : public ::testing::Test {
protected:
    ServiceEndToEnd() {
        static std::atomic<int> counter{0};
        m_directory =
            std::filesystem::temp_directory_path() /
            ("lanzhou-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_directory);
        m_database = (m_directory / "service.db").string();
    }

    ~ServiceEndToEnd() override {
        m_members.clear();
        m_server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    // An operator command on the test database; its standard output.
    std::string command(std::vector<std::string> arguments) {
        arguments.push_back("--db");
        arguments.push_back(m_database);
        const CommandResult result = runServerCommand(arguments);
        EXPECT_EQ(result.status, 0) << arguments[0] << " " << arguments[1] << ": " << result.err;
        return result.out.substr(0, result.out.find('\n'));
    }

    void addAccount(const std::string& name, int type, const std::string& expiry) {
        command({"account", "add", "--name", name, "--password", name, "--qq", "10001", "--phone",
                 "13800000000", "--type", std::to_string(type), "--expiry", expiry});
    }

    // The usual members: paying, free, paying but expired.
    void seedMembers() {
        addAccount("demo", 1, localTimeInDays(365));
        addAccount("free", 0, localTimeInDays(365));
        addAccount("lapsed", 1, localTimeInDays(-3));
    }

    std::string publishAlert(const std::string& code, int audience) {
        return command({"alert",       "publish",
                        "--code",      code,
                        "--name",      "stock" + code,
                        "--operation", "buy",
                        "--buy",       "10.5",
                        "--sell",      "11.0",
                        "--remark",    "r",
                        "--audience",  std::to_string(audience),
                        "--popup",     "0",
                        "--time",      localTimeInDays(0)});
    }

    // On `port`; 0: any free one.
    void startServer(int port = 0) {
        m_server = std::make_unique<ServerProcess>(std::vector<std::string>{
            "--db", m_database, "--listen", "127.0.0.1:" + std::to_string(port)});
        ASSERT_NE(m_server->port(), 0) << m_server->errorOutput();
    }

    // A member's client, connected, with the handshake answered; with
    // `reconnect`, reconnection is switched on in its k_config.ini.
    CliProcess& connect(bool reconnect = false) {
        const auto runDirectory = m_directory / ("member-" + std::to_string(m_members.size()));
        std::filesystem::create_directories(runDirectory);
        if (reconnect) {
            const config::ConfigFile config(runDirectory / "k_config.ini");
            EXPECT_TRUE(config.ensure() && config.write(config::key::kReconnect, "1"));
        }
        m_members.push_back(std::make_unique<CliProcess>(
            std::vector<std::string>{"--server", "127.0.0.1:" + std::to_string(m_server->port()),
                                     "--run-dir", runDirectory.string()}));
        auto& cli = *m_members.back();
        EXPECT_TRUE(cli.waitForEvent("bulletin")) << cli.errorOutput();
        return cli;
    }

    // Logs in; the "main" event, or nullopt.
    std::optional<json> login(CliProcess& cli, const std::string& account,
                              const std::string& password) {
        cli.sendJson({{"cmd", "login"}, {"account", account}, {"password", password}});
        return cli.waitForEvent("main", 1, std::chrono::milliseconds(5'000));
    }

    CliProcess& loggedIn(const std::string& account) {
        auto& cli = connect();
        EXPECT_TRUE(login(cli, account, account)) << account;
        return cli;
    }

    // The nth prompt's text (UTF-8).
    static std::string prompt(CliProcess& cli, std::size_t nth = 1) {
        const auto event = cli.waitForEvent("prompt", nth);
        return event ? event->value("text", "") : "(no prompt)";
    }

    std::filesystem::path m_directory;
    std::string m_database;
    std::unique_ptr<ServerProcess> m_server;
    std::vector<std::unique_ptr<CliProcess>> m_members;
};

TEST_F(ServiceEndToEnd, RegisterThenTheSameAccountAgain) {
    startServer();
    auto& cli = connect();
    const json form = {{"cmd", "register"}, {"account", "newbie"}, {"password", "pw"},
                       {"repeat", "pw"},    {"qq", "10001"},       {"phone", "13800000000"}};
    cli.sendJson(form);
    EXPECT_EQ(prompt(cli, 1), text::kRegisterSucceeded);
    cli.sendJson(form);
    EXPECT_EQ(prompt(cli, 2), text::kAccountExists);
    // The new account is a free member.
    auto& member = connect();
    const auto main = login(member, "newbie", "pw");
    ASSERT_TRUE(main);
    EXPECT_EQ((*main)["user_type"], 0);
}

TEST_F(ServiceEndToEnd, RechargeRefusalsAndSuccess) {
    seedMembers();
    command({"card", "add", "--number", "CARD-OK", "--days", "30", "--valid-until",
             localTimeInDays(30)});
    command({"card", "add", "--number", "CARD-OLD", "--days", "30", "--valid-until",
             localTimeInDays(-1)});
    startServer();
    auto& cli = connect();
    struct Case {
        const char* account;
        const char* password;
        const char* card;
        std::string_view expected;
    };
    const std::vector<Case> cases = {
        {"nobody", "nobody", "CARD-OK", text::kRechargeBadAccount},
        {"free", "wrong", "CARD-OK", text::kRechargeBadPassword},
        {"free", "free", "CARD-NONE", text::kRechargeBadCard},
        {"free", "free", "CARD-OLD", text::kRechargeCardExpired},
        {"free", "free", "CARD-OK", text::kRechargeSucceeded},
        {"free", "free", "CARD-OK", text::kRechargeBadCard},  // used once only
    };
    std::size_t nth = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.account) + "/" + c.password + "/" + c.card);
        cli.sendJson({{"cmd", "recharge"},
                      {"account", c.account},
                      {"password", c.password},
                      {"card", c.card}});
        EXPECT_EQ(prompt(cli, ++nth), c.expected);
    }
    auto& member = connect();
    const auto main = login(member, "free", "free");
    ASSERT_TRUE(main);
    EXPECT_EQ((*main)["user_type"], 1);
}

TEST_F(ServiceEndToEnd, LoginOfEachKind) {
    seedMembers();
    startServer();
    struct Case {
        const char* account;
        const char* password;
        std::optional<int> userType;  // nullopt: refused
    };
    const std::vector<Case> cases = {
        {"demo", "demo", 1},
        {"free", "free", 0},
        {"lapsed", "lapsed", 0},  // paying, but past its expiry
        {"nobody", "nobody", std::nullopt},
        {"demo", "wrong", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.account) + "/" + c.password);
        auto& cli = connect();
        cli.sendJson({{"cmd", "login"}, {"account", c.account}, {"password", c.password}});
        if (c.userType) {
            const auto main = cli.waitForEvent("main");
            ASSERT_TRUE(main) << cli.errorOutput();
            EXPECT_EQ((*main)["account"], c.account);
            EXPECT_EQ((*main)["user_type"], *c.userType);
        } else {
            EXPECT_EQ(prompt(cli), text::kLoginFailed);
            EXPECT_TRUE(cli.eventsNamed("main").empty());
        }
    }
}

TEST_F(ServiceEndToEnd, SecondLoginSendsTheFirstOffline) {
    seedMembers();
    startServer();
    auto& first = loggedIn("demo");
    auto& second = loggedIn("demo");
    const auto offline = first.waitForEvent("offline");
    ASSERT_TRUE(offline);
    EXPECT_EQ((*offline)["text"], text::kLoggedInElsewhere);
    EXPECT_EQ(first.waitForExit(), 0);
    EXPECT_TRUE(second.eventsNamed("offline").empty());
}

TEST_F(ServiceEndToEnd, ChangeAndRetrievePassword) {
    seedMembers();
    startServer();
    auto& cli = connect();
    const json wrongPhone = {{"cmd", "change_password"}, {"account", "free"}, {"password", "new"},
                             {"confirm", "new"},         {"qq", "10001"},     {"phone", "999"}};
    cli.sendJson(wrongPhone);
    EXPECT_EQ(prompt(cli, 1), text::kUserDataWrong);
    json change = wrongPhone;
    change["phone"] = "13800000000";
    cli.sendJson(change);
    EXPECT_EQ(prompt(cli, 2), text::kPasswordChanged);
    cli.sendJson({{"cmd", "retrieve_password"},
                  {"account", "free"},
                  {"qq", "10001"},
                  {"phone", "13800000000"}});
    const auto retrieved = cli.waitForEvent("retrieved_password");
    ASSERT_TRUE(retrieved);
    EXPECT_EQ((*retrieved)["password"], "new");

    auto& member = connect();
    EXPECT_TRUE(login(member, "free", "new"));
}

TEST_F(ServiceEndToEnd, AlertListsFollowTheMembersAudience) {
    seedMembers();
    publishAlert("600001", 1);
    publishAlert("600002", 0);
    publishAlert("600003", 1);
    startServer();
    struct Case {
        const char* account;
        std::vector<std::string> codes;  // top row first
    };
    const std::vector<Case> cases = {
        {"demo", {"600003", "600001"}},
        {"free", {"600002"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.account);
        auto& cli = loggedIn(c.account);
        ASSERT_TRUE(cli.waitForEvent("lists_reset"));
        cli.sendJson({{"cmd", "lists"}});
        const auto lists = cli.waitForEvent("lists");
        ASSERT_TRUE(lists);
        std::vector<std::string> codes;
        for (const auto& row : (*lists)["today"]) {
            for (const auto& cell : row) {
                if (cell.is_string() && cell.get<std::string>().starts_with("6000")) {
                    codes.push_back(cell);
                    break;
                }
            }
        }
        EXPECT_EQ(codes, c.codes) << lists->dump();
    }
}

TEST_F(ServiceEndToEnd, LiveAlertPublishUpdateRemoveReachTheMember) {
    seedMembers();
    startServer();
    auto& paying = loggedIn("demo");
    auto& free = loggedIn("free");
    ASSERT_TRUE(paying.waitForEvent("lists_reset"));

    const std::string id = publishAlert("600100", 1);
    ASSERT_FALSE(id.empty());
    const auto inserted = paying.waitForEvent("row_inserted");
    ASSERT_TRUE(inserted);
    EXPECT_THAT((*inserted)["cells"].dump(), ::testing::HasSubstr("600100"));

    command({"alert", "update", "--id", id, "--remark", "revised"});
    const auto changed = paying.waitForEvent("row_changed");
    ASSERT_TRUE(changed);
    EXPECT_THAT(changed->dump(), ::testing::HasSubstr("revised"));

    command({"alert", "remove", "--id", id});
    EXPECT_TRUE(paying.waitForEvent("row_removed"));
    // The free member's audience did not get the paying members' alert.
    EXPECT_TRUE(free.eventsNamed("row_inserted").empty());
}

TEST_F(ServiceEndToEnd, NoticeReachesEveryConnectedClientAsAPopup) {
    seedMembers();
    startServer();
    auto& member = loggedIn("demo");
    auto& visitor = connect();  // not logged in
    command({"notice", "publish", "--title", "Holiday", "--body", "Closed on Monday", "--stars",
             "3", "--channel", "1", "--popup", "1"});
    const auto shown = member.waitForEvent("popup");
    ASSERT_TRUE(shown) << member.errorOutput();
    EXPECT_THAT((*shown)["fragment"].get<std::string>(), ::testing::HasSubstr("Holiday"));
    // Someone not logged in gets the popup too; the client decides what a
    // visitor may read of it.
    EXPECT_TRUE(visitor.waitForEvent("popup")) << visitor.errorOutput();
}

TEST_F(ServiceEndToEnd, KickSendsTheMemberOffline) {
    seedMembers();
    startServer();
    auto& member = loggedIn("demo");
    auto& other = loggedIn("free");
    command({"kick", "demo"});
    const auto offline = member.waitForEvent("offline");
    ASSERT_TRUE(offline);
    EXPECT_EQ((*offline)["text"], text::kKickedByAdministrator);
    EXPECT_TRUE(other.eventsNamed("offline").empty());
}

TEST_F(ServiceEndToEnd, ServerStopsCleanlyOnSigterm) {
    seedMembers();
    startServer();
    auto& member = loggedIn("demo");
    EXPECT_EQ(m_server->terminate(), 0);
    EXPECT_TRUE(member.waitForEvent("closed"));
}

TEST_F(ServiceEndToEnd, ConfigFileSettingsReachTheMemberAndKeepAlivesOutliveTheIdleCut) {
    seedMembers();
    // The server closes a connection that stays silent for three periods:
    // three seconds here. A member's client keeps the connection alive.
    const auto config = m_directory / "server.toml";
    ASSERT_TRUE(platform::writeFileAtomically(
        config, "[client]\nproduct_title = \"配置测试\"\nheartbeat_seconds = 1\n"));
    m_server = std::make_unique<ServerProcess>(std::vector<std::string>{
        "--db", m_database, "--listen", "127.0.0.1:0", "--config", config.string()});
    ASSERT_NE(m_server->port(), 0) << m_server->errorOutput();

    auto& member = loggedIn("demo");
    const auto shown = member.waitForEvent("config");
    ASSERT_TRUE(shown);
    EXPECT_EQ((*shown)["title"], "配置测试");
    ASSERT_TRUE(member.waitForEvent("lists_reset"));
    // Well past the idle cut: still connected, and still served.
    EXPECT_FALSE(member.waitForEvent("closed", 1, std::chrono::seconds(5)));
    publishAlert("600200", 1);
    const auto inserted = member.waitForEvent("row_inserted");
    ASSERT_TRUE(inserted) << member.errorOutput();
    EXPECT_THAT((*inserted)["cells"].dump(), ::testing::HasSubstr("600200"));
}

TEST_F(ServiceEndToEnd, ListenAddressInUseEndsTheServerWithItsReason) {
    startServer();
    const std::string taken = "127.0.0.1:" + std::to_string(m_server->port());
    const CommandResult second = runServerCommand({"serve", "--db", m_database, "--listen", taken});
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.err, ::testing::HasSubstr("cannot listen on " + taken));
    EXPECT_TRUE(second.out.empty()) << second.out;
    // The first server goes on serving.
    seedMembers();
    auto& member = connect();
    EXPECT_TRUE(login(member, "demo", "demo"));
}

TEST_F(ServiceEndToEnd, MemberIsBackAfterAServerRestartWithWhatWasPublishedMeanwhile) {
    seedMembers();
    startServer();
    const int port = m_server->port();
    auto& member = connect(true);
    ASSERT_TRUE(login(member, "demo", "demo"));
    ASSERT_TRUE(member.waitForEvent("lists_reset"));

    m_server->kill();
    ASSERT_TRUE(member.waitForEvent("reconnecting")) << member.errorOutput();
    const std::string id = publishAlert("600300", 1);
    ASSERT_FALSE(id.empty());
    startServer(port);

    // Back within the back-off: the attempts so far wait 1 + 2 + 4 + 8 s at
    // most, and the restart takes far less than that.
    const auto summary = member.waitForEvent("summary", 1, std::chrono::seconds(20));
    ASSERT_TRUE(summary) << member.errorOutput();
    EXPECT_EQ((*summary)["reason"], "reconnect");
    EXPECT_EQ((*summary)["new_alerts"], 1);
    EXPECT_TRUE(member.eventsNamed("closed").empty());
    ASSERT_EQ(member.eventsNamed("reconnected").size(), 1u);
    EXPECT_EQ(member.eventsNamed("main").size(), 2u);

    member.sendJson({{"cmd", "lists"}});
    const auto lists = member.waitForEvent("lists");
    ASSERT_TRUE(lists);
    int rows = 0;
    for (const auto& row : (*lists)["today"]) {
        rows += row[0] == id ? 1 : 0;
    }
    EXPECT_EQ(rows, 1) << lists->dump();
}

}  // namespace
}  // namespace lanzhou::test
