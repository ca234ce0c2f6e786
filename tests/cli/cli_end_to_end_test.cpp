// lanzhou-cli as a user runs it: the real program against an in-process fake
// service, commands on standard input, events read back from standard output.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "client/core/stored_text_cipher.h"
#include "client/core/texts.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "platform/file_io.h"
#include "platform/gbk.h"
#include "platform/process_list.h"
#include "protocol/message_catalogue.h"
#include "tests/cli/cli_process.h"
#include "tests/support/fake_service.h"
#include "tests/support/gbk_literal.h"
#include "tests/support/refused_port.h"

namespace lanzhou::test {
namespace {

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::Optional;

constexpr std::chrono::milliseconds kWait{10'000};

// The client's fixed text as the CLI prints it (UTF-8).
std::string shown(std::string_view utf8Text) {
    return std::string(utf8Text);
}

class TempDirectory final {
public:
    TempDirectory() {
        static std::atomic<int> counter{0};
        m_path = std::filesystem::temp_directory_path() /
                 ("lanzhou-cli-test-" + std::to_string(platform::currentProcessId()) + "-" +
                  std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

class CliEndToEnd : public ::testing::Test {
protected:
    explicit CliEndToEnd(FakeServiceScript script = demoScript()) : m_service(std::move(script)) {}

    std::vector<std::string> arguments() const {
        return {"--server", "127.0.0.1:" + std::to_string(m_service.port()), "--run-dir",
                m_runDirectory.path().string()};
    }

    // Starts the client and waits until it is connected.
    CliProcess& start() {
        m_cli = std::make_unique<CliProcess>(arguments());
        EXPECT_TRUE(m_cli->waitForEvent("connected")) << m_cli->errorOutput();
        return *m_cli;
    }

    // Logs in once the handshake has set the server time ("#57" is sent
    // after the "#TM" answer was handled), so that the lists are judged by
    // the real date; waits for the main window and the "#59" answer.
    CliProcess& startLoggedIn(std::string_view account = "demo") {
        auto& cli = start();
        EXPECT_TRUE(m_service.server().waitForReceived(6, kWait));
        cli.sendJson({{"cmd", "login"}, {"account", account}, {"password", account}});
        EXPECT_TRUE(cli.waitForEvent("main"));
        EXPECT_TRUE(cli.waitForEvent("lists_reset"));
        return cli;
    }

    std::vector<std::string> received() { return m_service.server().received(); }
    std::size_t receivedStartingWith(std::string_view prefix) {
        const auto all = received();
        return static_cast<std::size_t>(std::count_if(
            all.begin(), all.end(), [&](const std::string& m) { return m.starts_with(prefix); }));
    }
    config::ConfigFile config() const {
        return config::ConfigFile(m_runDirectory.path() / "k_config.ini");
    }

    TempDirectory m_runDirectory;
    FakeService m_service;
    std::unique_ptr<CliProcess> m_cli;
};

TEST_F(CliEndToEnd, HandshakeRunsInOrderAndPrintsConfigAndBulletin) {
    auto& cli = start();
    ASSERT_TRUE(m_service.server().waitForReceived(6, kWait));
    const auto first = received();
    EXPECT_THAT(std::vector<std::string>(first.begin(), first.begin() + 6),
                ElementsAre("#54", "#55", "#56", "#TM", "#57", "#58"));

    const auto config = cli.waitForEvent("config");
    ASSERT_TRUE(config);
    EXPECT_EQ((*config)["title"], "澜舟演示");
    const auto bulletin = cli.waitForEvent("bulletin");
    ASSERT_TRUE(bulletin);
    EXPECT_THAT((*bulletin)["html"].get<std::string>(),
                ::testing::HasSubstr("欢迎使用澜舟演示服务"));
    EXPECT_TRUE(std::filesystem::exists(m_runDirectory.path() / "k_config.ini"));
    EXPECT_TRUE(cli.strayLines().empty());
}

FakeServiceScript newerVersionScript() {
    auto script = demoScript();
    script.version = {7, "http://127.0.0.1/update.zip"};
    return script;
}

class CliWithNewerServerVersion : public CliEndToEnd {
protected:
    CliWithNewerServerVersion() : CliEndToEnd(newerVersionScript()) {}
};

TEST_F(CliWithNewerServerVersion, OffersTheUpdateWithBothVersions) {
    ASSERT_TRUE(platform::writeFileAtomically(m_runDirectory.path() / "ver.txt", "6"));
    auto& cli = start();
    const auto offer = cli.waitForEvent("update_offer");
    ASSERT_TRUE(offer);
    EXPECT_EQ((*offer)["server_version"], 7);
    EXPECT_EQ((*offer)["local_version"], 6);
}

TEST_F(CliEndToEnd, PayingMemberEntersMainAndListsShowTheAlertsTopFirst) {
    auto& cli = startLoggedIn("demo");
    const auto main = cli.eventsNamed("main").front();
    EXPECT_EQ(main["account"], "demo");
    EXPECT_EQ(main["user_type"], 1);
    EXPECT_EQ(main["expiry"], m_service.script().accounts[0].expiry);
    EXPECT_THAT(main["status"].get<std::string>(), ::testing::HasSubstr("收费用户"));
    EXPECT_EQ(receivedStartingWith("#59"), 1u);
    EXPECT_EQ(receivedStartingWith("#591"), 1u);

    // What the lists must hold: the paying audience's alerts of the demo
    // script, newest on top.
    const auto script = m_service.script();
    const auto time = [&](std::string_view id) {
        const auto alert = std::find_if(script.alerts.begin(), script.alerts.end(),
                                        [&](const auto& a) { return a.id == id; });
        return alert == script.alerts.end() ? std::string() : alert->time;
    };
    const json today = json::array({
        {"1005", time("1005"), "601318", "中国平安", "卖出", "45.00", "44.20", "止盈离场"},
        {"1003", time("1003"), "600519", "贵州茅台", "持有", "1700.00", "1800.00", "中线持有"},
    });
    const json history = json::array(
        {{"1001", time("1001"), "600000", "浦发银行", "买入", "10.20", "11.00", "短线关注"}});
    cli.sendJson({{"cmd", "lists"}});
    const auto lists = cli.waitForEvent("lists");
    ASSERT_TRUE(lists);
    EXPECT_EQ((*lists)["today"], today);
    EXPECT_EQ((*lists)["history"], history);
    const auto reset = cli.eventsNamed("lists_reset").front();
    EXPECT_EQ(reset["today"], today.size());
    EXPECT_EQ(reset["history"], history.size());
}

// A path as JSON carries it (UTF-8) on every system.
std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TEST_F(CliEndToEnd, ExportWritesTheChosenListsAsFilteredOrGivesTheFailurePrompt) {
    auto& cli = startLoggedIn("demo");
    const auto script = m_service.script();
    const auto time = [&](std::string_view id) {
        const auto alert = std::find_if(script.alerts.begin(), script.alerts.end(),
                                        [&](const auto& a) { return a.id == id; });
        return alert == script.alerts.end() ? std::string() : alert->time;
    };
    const std::string line1005 = time("1005") + ",601318,中国平安,卖出,45.00,44.20,止盈离场\r\n";
    const std::string line1003 =
        time("1003") + ",600519,贵州茅台,持有,1700.00,1800.00,中线持有\r\n";
    const std::string line1001 = time("1001") + ",600000,浦发银行,买入,10.20,11.00,短线关注\r\n";
    const std::string head =
        "\xEF\xBB\xBF发布时间,股票代码,股票名称,操作方式,买入价格,卖出价格,备注\r\n";
    struct Case {
        json command;
        int rows;
        std::string body;
    };
    const std::filesystem::path folder = m_runDirectory.path();
    const std::vector<Case> cases = {
        {{{"list", "both"}}, 3, line1005 + line1003 + line1001},
        {{{"list", "today"}, {"filter", "茅台"}}, 1, line1003},
        {{{"list", "history"}, {"filter", "茅台"}}, 0, ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::u8string name =
            u8"导出" + std::u8string(1, static_cast<char8_t>(u8'0' + i)) + u8".csv";
        const std::filesystem::path file = folder / name;
        const std::string path = utf8Path(file);
        json command = cases[i].command;
        command["cmd"] = "export";
        command["path"] = path;
        cli.sendJson(command);
        const auto exported = cli.waitForEvent("exported", i + 1);
        ASSERT_TRUE(exported) << command.dump();
        EXPECT_EQ((*exported)["path"], path);
        EXPECT_EQ((*exported)["rows"], cases[i].rows);
        EXPECT_EQ(platform::readFile(file), head + cases[i].body) << command.dump();
    }

    const std::filesystem::path missing = folder / std::filesystem::path(u8"无此目录");
    const std::string unwritable = utf8Path(missing / "a.csv");
    cli.sendJson({{"cmd", "export"}, {"list", "both"}, {"path", unwritable}});
    const auto prompt = cli.waitForEvent("prompt");
    ASSERT_TRUE(prompt);
    EXPECT_EQ((*prompt)["text"], shown(core::text::kExportFailed) + unwritable);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(cli.eventsNamed("exported").size(), cases.size());
}

TEST_F(CliEndToEnd, WrongPasswordGivesTheLoginFailedPrompt) {
    auto& cli = start();
    cli.sendJson({{"cmd", "login"}, {"account", "demo"}, {"password", "wrong"}});
    const auto prompt = cli.waitForEvent("prompt");
    ASSERT_TRUE(prompt);
    EXPECT_EQ((*prompt)["text"], shown(core::text::kLoginFailed));
    EXPECT_TRUE(cli.eventsNamed("main").empty());
}

TEST_F(CliEndToEnd, LoginFormRefusesInCheckOrderAndSendsNothing) {
    struct Case {
        std::string account, password;
        std::string_view text;
        std::string focus;
    };
    const std::vector<Case> cases = {
        {"de|mo", "", core::text::kAccountForbidden, "登陆_ad1"},
        {"demo", "a|b", core::text::kPasswordForbidden, "登陆_ad2"},
        {"", "", core::text::kAccountEmpty, "登陆_ad1"},
        {"demo", "", core::text::kPasswordEmpty, "登陆_ad2"},
    };
    auto& cli = start();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        cli.sendJson({{"cmd", "login"}, {"account", c.account}, {"password", c.password}});
        const auto prompt = cli.waitForEvent("prompt", i + 1);
        ASSERT_TRUE(prompt) << "case " << i;
        EXPECT_EQ((*prompt)["text"], shown(c.text)) << "case " << i;
        EXPECT_EQ((*prompt)["focus"], c.focus) << "case " << i;
    }
    // A valid login afterwards is the first and only "#a3" the server sees.
    cli.sendJson({{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}});
    ASSERT_TRUE(cli.waitForEvent("main"));
    const auto all = received();
    std::vector<std::string> logins;
    std::copy_if(all.begin(), all.end(), std::back_inserter(logins),
                 [](const std::string& m) { return m.starts_with("#a3"); });
    EXPECT_THAT(logins, ElementsAre("#a3|demo|demo"));
}

TEST_F(CliEndToEnd, RegistrationAdoptsTheNewAccountIntoFormAndConfigFile) {
    auto& cli = start();
    cli.sendJson({{"cmd", "register"},
                  {"account", "新人"},
                  {"password", "pw1"},
                  {"repeat", "pw1"},
                  {"qq", "12345"},
                  {"phone", "13800000000"}});
    const auto prompt = cli.waitForEvent("prompt");
    ASSERT_TRUE(prompt);
    EXPECT_EQ((*prompt)["text"], shown(core::text::kRegisterSucceeded));
    const auto form = cli.waitForEvent("login_form");
    ASSERT_TRUE(form);
    EXPECT_EQ((*form)["account"], "新人");
    // The action that filled the form writes the file right after; a command
    // answered after it proves that it has finished.
    cli.sendJson({{"cmd", "lists"}});
    ASSERT_TRUE(cli.waitForEvent("lists"));
    EXPECT_EQ(core::decodeStored(config().read("username")), G("新人"));
    EXPECT_EQ(core::decodeStored(config().read("userpass")), "pw1");
    EXPECT_EQ(receivedStartingWith("#a1|" + G("新人") + "|pw1|12345|13800000000|"), 1u);

    // The form holds the adopted account: logging in with it works, the
    // service having added it.
    cli.sendJson({{"cmd", "login"}, {"account", "新人"}, {"password", "pw1"}});
    EXPECT_TRUE(cli.waitForEvent("main"));
}

TEST_F(CliEndToEnd, AccountServiceChangesAndRetrievesThePassword) {
    auto& cli = start();
    cli.sendJson({{"cmd", "change_password"},
                  {"account", "demo"},
                  {"password", "neu"},
                  {"confirm", "neu"},
                  {"qq", "1"},
                  {"phone", "2"}});
    const auto changed = cli.waitForEvent("prompt");
    ASSERT_TRUE(changed);
    EXPECT_EQ((*changed)["text"], shown(core::text::kPasswordChanged));
    ASSERT_TRUE(cli.waitForEvent("login_form"));
    EXPECT_EQ(receivedStartingWith("#a4|demo|neu|1|2"), 1u);

    cli.sendJson({{"cmd", "retrieve_password"}, {"account", "demo"}, {"qq", "1"}, {"phone", ""}});
    const auto refused = cli.waitForEvent("prompt", 2);
    ASSERT_TRUE(refused);
    EXPECT_EQ((*refused)["text"], shown(core::text::kPhoneEmpty));

    cli.sendJson({{"cmd", "retrieve_password"}, {"account", "demo"}, {"qq", "1"}, {"phone", "2"}});
    const auto retrieved = cli.waitForEvent("retrieved_password");
    ASSERT_TRUE(retrieved);
    EXPECT_EQ((*retrieved)["password"], "neu");
    const auto shownPassword = cli.waitForEvent("prompt", 3);
    ASSERT_TRUE(shownPassword);
    EXPECT_EQ((*shownPassword)["text"], shown(core::text::kPasswordRetrieved) + "neu");
    EXPECT_EQ(core::decodeStored(config().read("userpass")), "neu");
}

TEST_F(CliEndToEnd, RememberTrueStoresTheCredentialsAndTheNextStartFillsTheForm) {
    auto& cli = start();
    EXPECT_EQ(config().read("zx"), "0");
    cli.sendJson({{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}, {"remember", true}});
    ASSERT_TRUE(cli.waitForEvent("main"));
    EXPECT_EQ(config().read("zx"), "1");
    EXPECT_EQ(core::decodeStored(config().read("username")), "demo");
    EXPECT_EQ(core::decodeStored(config().read("userpass")), "demo");
    cli.sendJson({{"cmd", "quit"}});
    EXPECT_THAT(cli.waitForExit(), Optional(0));

    // remember:false on the next start clears what was stored.
    m_cli.reset();
    auto& again = start();
    again.sendJson(
        {{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}, {"remember", false}});
    ASSERT_TRUE(again.waitForEvent("main"));
    EXPECT_EQ(config().read("zx"), "0");
    EXPECT_EQ(config().read("username"), "");
}

TEST_F(CliEndToEnd, LiveAlertWithPopupGivesRowAndPopupEvents) {
    auto& cli = startLoggedIn();
    const auto now = m_service.script().now;
    const protocol::AlertRecord alert{"2001",    protocol::formatDateTime(now),
                                      "600036",  G("招商银行"),
                                      G("买入"), "35.10",
                                      "36.00",   G("放量"),
                                      "1",       "1"};
    m_service.publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, alert));

    const auto inserted = cli.waitForEvent("row_inserted");
    ASSERT_TRUE(inserted);
    EXPECT_EQ((*inserted)["list"], "today");
    EXPECT_EQ((*inserted)["row"], 0);
    EXPECT_EQ((*inserted)["cells"][0], "2001");
    EXPECT_EQ((*inserted)["cells"][3], "招商银行");

    const auto popup = cli.waitForEvent("popup");
    ASSERT_TRUE(popup);
    EXPECT_EQ((*popup)["kind"], "10");
    EXPECT_THAT((*popup)["fragment"].get<std::string>(), ::testing::HasSubstr("招商银行"));

    // An alert for free users is not shown to a paying member.
    auto other = alert;
    other.id = "2002";
    other.audience = "0";
    m_service.publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, other));
    m_service.publish(protocol::answer::alertsRemoved({"2001"}));
    const auto removed = cli.waitForEvent("row_removed");
    ASSERT_TRUE(removed);
    EXPECT_EQ((*removed)["list"], "today");
    EXPECT_EQ(cli.eventsNamed("row_inserted").size(), 1u);
}

// "HH:MM" of a server time, as quiet_from and quiet_to hold it.
std::string clockText(const protocol::DateTime& time) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    return text;
}

TEST_F(CliEndToEnd, QuietHoursListAlertsWithoutPopupThenTellTheirCountOnce) {
    // Quiet from the minute of the server's "#TM" for ten minutes.
    const auto now = m_service.script().now;
    ASSERT_TRUE(config().ensure());
    ASSERT_TRUE(config().write(config::key::kQuietFrom, clockText(now)));
    ASSERT_TRUE(config().write(config::key::kQuietTo, clockText(now.plusSeconds(600))));
    auto& cli = startLoggedIn();

    auto alert = [&](std::string id, std::string code) {
        return protocol::answer::alert(
            protocol::ServerCode::AlertAdded,
            protocol::AlertRecord{std::move(id), protocol::formatDateTime(now), std::move(code),
                                  G("招商银行"), G("买入"), "35.10", "36.00", "", "1", "1"});
    };
    m_service.publish(alert("3001", "600036"));
    m_service.publish(alert("3002", "600037"));
    ASSERT_TRUE(cli.waitForEvent("row_inserted", 2));
    // A bulletin's action is due after the alerts' popup action: once it is
    // shown, that one has run.
    m_service.publish(protocol::answer::bulletin("<p>b</p>"));
    ASSERT_TRUE(cli.waitForEvent("bulletin", 2));
    EXPECT_TRUE(cli.eventsNamed("popup").empty());
    // The server's clock moves past the quiet hours: the watch notices it
    // without another alert.
    m_service.publish(protocol::answer::serverTime(now.plusSeconds(1200)));
    const auto summary = cli.waitForEvent("summary");
    ASSERT_TRUE(summary);
    EXPECT_EQ(*summary, (json{{"event", "summary"}, {"reason", "quiet"}, {"new_alerts", 2}}));

    m_service.publish(alert("3003", "600038"));
    const auto popup = cli.waitForEvent("popup");
    ASSERT_TRUE(popup);
    EXPECT_THAT((*popup)["fragment"].get<std::string>(), ::testing::HasSubstr("600038"));
    std::vector<std::string> order;
    for (const auto& event : cli.events()) {
        const std::string name = event["event"];
        if (name == "summary" || name == "popup") {
            order.push_back(name);
        }
    }
    EXPECT_THAT(order, ElementsAre("summary", "popup"));
}

TEST_F(CliEndToEnd, LoggedInElsewhereGivesOfflineEventAndExitZero) {
    auto& cli = startLoggedIn();
    m_service.publish(protocol::answer::bare(protocol::ServerCode::LoggedInElsewhere));
    const auto offline = cli.waitForEvent("offline");
    ASSERT_TRUE(offline);
    EXPECT_EQ((*offline)["text"], shown(core::text::kLoggedInElsewhere));
    EXPECT_THAT(cli.waitForExit(), Optional(0));
    EXPECT_EQ(receivedStartingWith("#az"), 1u);
}

TEST_F(CliEndToEnd, ServerClosingGivesPromptThenClosedAndExitZero) {
    auto& cli = start();
    ASSERT_TRUE(m_service.server().waitForReceived(6, kWait));
    m_service.server().close(-1);
    EXPECT_THAT(cli.waitForExit(), Optional(0));
    const auto events = cli.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2]["event"], "prompt");
    EXPECT_EQ(events[events.size() - 2]["text"], shown(core::text::kDisconnected));
    EXPECT_EQ(events.back()["event"], "closed");
}

TEST_F(CliEndToEnd, EndOfInputAndQuitBothEndWithExitZero) {
    for (const bool byQuit : {false, true}) {
        auto& cli = start();
        if (byQuit) {
            cli.sendJson({{"cmd", "quit"}});
        } else {
            cli.closeInput();
        }
        EXPECT_THAT(cli.waitForExit(), Optional(0)) << (byQuit ? "quit" : "end of input");
        m_cli.reset();
    }
}

TEST_F(CliEndToEnd, UnusableLinesGiveErrorEventsAndReadingGoesOn) {
    auto& cli = start();
    cli.send("this is not json");
    cli.send(R"({"cmd":"fly"})");
    cli.send(R"({"cmd":"login","account":"demo"})");
    cli.send(R"({"cmd":"login","account":"demo","password":"demo","remember":"yes"})");
    cli.send(std::string(100'000, 'x'));
    cli.send("");
    cli.sendJson({{"cmd", "lists"}});
    ASSERT_TRUE(cli.waitForEvent("lists"));
    const auto errors = cli.eventsNamed("error");
    ASSERT_EQ(errors.size(), 5u);
    EXPECT_THAT(errors[2]["text"].get<std::string>(), ::testing::HasSubstr("password"));
    EXPECT_EQ(receivedStartingWith("#a3"), 0u);
}

TEST_F(CliEndToEnd, UnreachableServerGivesConnectFailedAndExitTwo) {
    const RefusedPort refused;
    CliProcess cli({"--server", "127.0.0.1:" + std::to_string(refused.port()), "--run-dir",
                    m_runDirectory.path().string()});
    EXPECT_THAT(cli.waitForExit(), Optional(2));
    const auto events = cli.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]["event"], "prompt");
    EXPECT_EQ(events[0]["text"], shown(core::text::kConnectFailed));
}

TEST_F(CliEndToEnd, BadUsageExitsOneWithNothingOnStandardOutput) {
    const std::string server = "127.0.0.1:" + std::to_string(m_service.port());
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--server"},
        {"--server", "no-port-here"},
        {"--server", "127.0.0.1:99999"},
        {"--server", server, "--run-dir", (m_runDirectory.path() / "missing").string()},
        {"--run-dir", m_runDirectory.path().string(), "--run-dir", m_runDirectory.path().string()},
    };
    for (const auto& arguments : cases) {
        CliProcess cli(arguments);
        EXPECT_THAT(cli.waitForExit(), Optional(1)) << arguments[0];
        EXPECT_TRUE(cli.events().empty()) << arguments[0];
        EXPECT_TRUE(cli.strayLines().empty()) << arguments[0];
        EXPECT_FALSE(cli.errorOutput().empty()) << arguments[0];
    }
    CliProcess help({"--help"});
    EXPECT_THAT(help.waitForExit(), Optional(0));
    EXPECT_FALSE(help.strayLines().empty());  // the usage text, not JSON
}

TEST_F(CliEndToEnd, RunDirectoryRelativeToTheCurrentOneHoldsTheConfigFile) {
    std::filesystem::create_directories(m_runDirectory.path() / "run");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_runDirectory.path());
    m_cli = std::make_unique<CliProcess>(std::vector<std::string>{
        "--server", "127.0.0.1:" + std::to_string(m_service.port()), "--run-dir", "run"});
    std::filesystem::current_path(previous);
    ASSERT_TRUE(m_cli->waitForEvent("connected")) << m_cli->errorOutput();
    m_cli->sendJson(
        {{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}, {"remember", true}});
    ASSERT_TRUE(m_cli->waitForEvent("main"));
    const config::ConfigFile stored(m_runDirectory.path() / "run" / "k_config.ini");
    EXPECT_EQ(core::decodeStored(stored.read("username")), "demo");
    EXPECT_FALSE(std::filesystem::exists(m_runDirectory.path() / "run" / "run"));
}

// A folder where k_config.ini should be: every setting reads as empty and no
// write can succeed. The session goes on as with a good file; each lost
// write is told on standard error, standard output stays JSON.
TEST_F(CliEndToEnd, UnwritableConfigFileIsToldOnStandardErrorAndTheSessionGoesOn) {
    std::filesystem::create_directories(m_runDirectory.path() / "k_config.ini");
    auto& cli = start();
    ASSERT_TRUE(m_service.server().waitForReceived(6, kWait));
    cli.sendJson({{"cmd", "login"}, {"account", "demo"}, {"password", "demo"}, {"remember", true}});
    ASSERT_TRUE(cli.waitForEvent("main"));
    cli.sendJson({{"cmd", "quit"}});
    EXPECT_THAT(cli.waitForExit(), Optional(0));

    EXPECT_TRUE(cli.strayLines().empty());
    const std::string errors = cli.errorOutput();
    for (const char* key : {"zx", "username", "userpass"}) {
        EXPECT_THAT(errors, ::testing::HasSubstr(std::string("lanzhou-cli: config: could not write "
                                                             "the key ") +
                                                 key + " to "));
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_runDirectory.path() / "k_config.ini"));
}

FakeServiceScript expiringScript() {
    auto script = demoScript();
    // Current at the login (up to three seconds after "#TM"), run out at the
    // first check ten seconds after it.
    script.accounts.push_back(
        {"late", "late", protocol::formatDateTime(script.now.plusSeconds(2)), 1, "0"});
    return script;
}

class CliWithExpiringMember : public CliEndToEnd {
protected:
    CliWithExpiringMember() : CliEndToEnd(expiringScript()) {}
};

TEST_F(CliWithExpiringMember, MembershipRunningOutWhileLoggedInEndsTheSession) {
    auto& cli = startLoggedIn("late");
    EXPECT_EQ(cli.eventsNamed("main").front()["user_type"], 1);
    const auto offline = cli.waitForEvent("offline", 1, std::chrono::seconds(20));
    ASSERT_TRUE(offline);
    EXPECT_EQ((*offline)["text"], shown(core::text::kMembershipExpired));
    EXPECT_THAT(cli.waitForExit(), Optional(0));
}

// With reconnection switched on in k_config.ini.
class CliWithReconnect : public CliEndToEnd {
protected:
    CliWithReconnect() {
        EXPECT_TRUE(config().ensure());
        EXPECT_TRUE(config().write("reconnect", "1"));
    }

    // The events from the first named `from` on, by name.
    static std::vector<std::string> namesFrom(const std::vector<json>& events,
                                              std::string_view from) {
        std::vector<std::string> names;
        for (const auto& event : events) {
            const std::string name = event["event"];
            if (!names.empty() || name == from) {
                names.push_back(name);
            }
        }
        return names;
    }
};

TEST_F(CliWithReconnect, DroppedConnectionComesBackWithASummaryOfWhatArrivedMeanwhile) {
    auto& cli = startLoggedIn();
    m_service.server().close(-1);
    const auto reconnecting = cli.waitForEvent("reconnecting");
    ASSERT_TRUE(reconnecting);
    EXPECT_EQ((*reconnecting)["attempt"], 1);
    EXPECT_GE((*reconnecting)["delay_ms"].get<int>(), 500);
    EXPECT_LE((*reconnecting)["delay_ms"].get<int>(), 1000);
    // Published while the member was away: one for this member, one not.
    m_service.editScript([](FakeServiceScript& script) {
        auto added = script.alerts.back();
        added.id = "2001";
        script.alerts.push_back(added);
        added.id = "2002";
        added.audience = "0";
        script.alerts.push_back(added);
    });

    const auto summary = cli.waitForEvent("summary");
    ASSERT_TRUE(summary) << cli.errorOutput();
    EXPECT_EQ(*summary, (json{{"event", "summary"}, {"reason", "reconnect"}, {"new_alerts", 1}}));
    const auto names = namesFrom(cli.events(), "reconnecting");
    EXPECT_EQ(std::count(names.begin(), names.end(), "reconnected"), 1);
    const std::vector<std::string> expectedTail = {"reconnected", "main", "lists_reset", "summary"};
    std::vector<std::string> tail;
    std::copy_if(names.begin(), names.end(), std::back_inserter(tail), [&](const auto& name) {
        return std::find(expectedTail.begin(), expectedTail.end(), name) != expectedTail.end();
    });
    EXPECT_EQ(tail, expectedTail);
    for (const char* absent : {"closed", "prompt", "popup"}) {
        EXPECT_EQ(std::count(names.begin(), names.end(), absent), 0) << absent;
    }
    EXPECT_EQ(received().back(), "#591");
    EXPECT_EQ(receivedStartingWith("#a3"), 2u);

    // The new alert is in the lists once; live alerts pop up again.
    cli.sendJson({{"cmd", "lists"}});
    const auto lists = cli.waitForEvent("lists");
    ASSERT_TRUE(lists);
    EXPECT_EQ((*lists)["today"].size() + (*lists)["history"].size(), 4u);
    auto live = m_service.script().alerts.front();
    live.id = "2003";
    m_service.publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, live));
    EXPECT_TRUE(cli.waitForEvent("popup"));
}

TEST_F(CliWithReconnect, RefusedLoginAgainEndsTheSessionAfterThePrompt) {
    auto& cli = startLoggedIn();
    m_service.editScript(
        [](FakeServiceScript& script) { script.accounts[0].password = "changed"; });
    m_service.server().close(-1);
    EXPECT_THAT(cli.waitForExit(), Optional(0));
    const auto names = namesFrom(cli.events(), "reconnecting");
    EXPECT_EQ(std::count(names.begin(), names.end(), "reconnecting"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "reconnected"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "closed"), 0);
    const auto prompts = cli.eventsNamed("prompt");
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0]["text"], shown(core::text::kLoginFailed));
}

TEST_F(CliWithReconnect, LostBeforeLoginEndsAsAlways) {
    auto& cli = start();
    ASSERT_TRUE(m_service.server().waitForReceived(6, kWait));
    m_service.server().close(-1);
    EXPECT_THAT(cli.waitForExit(), Optional(0));
    EXPECT_TRUE(cli.eventsNamed("reconnecting").empty());
    EXPECT_EQ(cli.events().back()["event"], "closed");
}

}  // namespace
}  // namespace lanzhou::test
