// The operator commands run against a temporary database: a table of command
// lines with their exit codes and what they leave in the storage, and the
// output of the list commands.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "server/commands/operator_commands.h"
#include "server/sqlite/sqlite_storage.h"
#include "server/storage/storage.h"
#include "temp_database.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::server {
namespace {

using protocol::DateTime;
using test::G;

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

class OperatorCommandsTest : public ::testing::Test {
protected:
    // Runs a command line; "--db" and the database path are appended unless
    // `withDatabase` is false.
    Outcome run(std::vector<std::string> args, bool withDatabase = true) {
        if (withDatabase) {
            args.push_back("--db");
            args.push_back(database->file().string());
        }
        const std::vector<std::string_view> views(args.begin(), args.end());
        std::ostringstream out;
        std::ostringstream err;
        Outcome outcome;
        outcome.code = runOperatorCommand(views, out, err);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }

    std::unique_ptr<Storage> storage() {
        auto opened = openSqliteStorage(database->file());
        EXPECT_TRUE(opened.has_value()) << opened.error();
        return std::move(*opened);
    }

    // alice (free, with contacts), alert 1 (audience 1), notice 1 (channel 2),
    // card C1.
    void seed() {
        ASSERT_EQ(run({"account", "add", "--name", "alice", "--password", "pw1", "--qq", "123",
                       "--phone", "555"})
                      .code,
                  0);
        ASSERT_EQ(run({"alert", "publish", "--code", "600000", "--name", "浦发银行", "--operation",
                       "买入", "--buy", "10.5", "--sell", "11", "--remark", "短线", "--time",
                       "2024-06-15 09:30:00"})
                      .out,
                  "1\n");
        ASSERT_EQ(run({"notice", "publish", "--title", "提示", "--body", "<b>正文</b>", "--channel",
                       "2", "--stars", "3", "--time", "2024-06-15 08:00:00"})
                      .out,
                  "1\n");
        ASSERT_EQ(run({"card", "add", "--number", "C1", "--days", "30"}).code, 0);
    }

    std::unique_ptr<test::TempDatabase> database = std::make_unique<test::TempDatabase>();
};

DateTime tenYearsAhead() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    return DateTime{local.tm_year + 1910, local.tm_mon + 1, local.tm_mday};
}

struct CommandCase {
    const char* title;
    std::vector<std::string> args;
    int code;
    std::function<void(Storage&)> check;  // the state afterwards
};

void nothingChanged(Storage& storage) {
    EXPECT_EQ(storage.listAccounts().size(), 1u);
    EXPECT_EQ(storage.listCards().size(), 1u);
    EXPECT_EQ(storage.listAlerts(10).size(), 1u);
    EXPECT_TRUE(storage.findNotice("1"));
    EXPECT_EQ(storage.findAlert("1")->buy, "10.5");
    EXPECT_EQ(storage.findAccount("alice")->password, "pw1");
    EXPECT_EQ(storage.lastEventSequence(), 2);  // the two seeded publications
}

OperatorEvent::Kind lastKind(Storage& storage) {
    const auto events = storage.eventsAfter(0);
    return events.empty() ? OperatorEvent::Kind::AlertPublished : events.back().kind;
}

const std::vector<CommandCase>& commandCases() {
    static const std::vector<CommandCase> cases = {
        // ---- accounts
        {"account add with every field",
         {"account", "add", "--name", "张三", "--password", "密码", "--qq", "88", "--phone", "139",
          "--type", "1", "--expiry", "2030-01-02 03:04:05", "--adapter", "00-11-22-33-44-55"},
         0,
         [](Storage& s) {
             AccountRecord expected{G("张三"),
                                    G("密码"),
                                    "88",
                                    "139",
                                    "00-11-22-33-44-55",
                                    1,
                                    DateTime{2030, 1, 2, 3, 4, 5}};
             EXPECT_EQ(s.findAccount(G("张三")), expected);
         }},
        {"account add defaults to a free member without expiry",
         {"account", "add", "--name", "bob", "--password", "pw"},
         0,
         [](Storage& s) {
             const auto bob = s.findAccount("bob");
             ASSERT_TRUE(bob);
             EXPECT_EQ(bob->userType, 0);
             EXPECT_EQ(bob->expiry, DateTime::null());
             EXPECT_EQ(bob->qq, "");
         }},
        {"account add of an existing name",
         {"account", "add", "--name", "alice", "--password", "x"},
         2,
         nothingChanged},
        {"account add without password", {"account", "add", "--name", "bob"}, 1, nothingChanged},
        {"account add with empty password",
         {"account", "add", "--name", "bob", "--password", ""},
         1,
         nothingChanged},
        {"account add with a separator",
         {"account", "add", "--name", "b|ob", "--password", "pw"},
         1,
         nothingChanged},
        {"account add with type 2",
         {"account", "add", "--name", "bob", "--password", "pw", "--type", "2"},
         1,
         nothingChanged},
        {"account add with type 1x",
         {"account", "add", "--name", "bob", "--password", "pw", "--type", "1x"},
         1,
         nothingChanged},
        {"account add with a bad date",
         {"account", "add", "--name", "bob", "--password", "pw", "--expiry", "2030-02-30 00:00:00"},
         1,
         nothingChanged},
        {"account add with an unknown option",
         {"account", "add", "--name", "bob", "--password", "pw", "--colour", "red"},
         1,
         nothingChanged},
        {"account add with a repeated option",
         {"account", "add", "--name", "bob", "--name", "carl", "--password", "pw"},
         1,
         nothingChanged},
        {"account add with a character GBK lacks",
         {"account", "add", "--name", "bob😀", "--password", "pw"},
         1,
         nothingChanged},
        {"account add with bytes that are not UTF-8",
         {"account", "add", "--name", "bob\xC3", "--password", "pw"},
         1,
         nothingChanged},
        {"account add with a stray word",
         {"account", "add", "extra", "--name", "bob", "--password", "pw"},
         1,
         nothingChanged},
        {"account add with a dangling option",
         {"account", "add", "--name", "bob", "--password", "pw", "--db", "x", "--qq"},
         1,
         nothingChanged},
        {"account set keeps what is not given",
         {"account", "set", "--name", "alice", "--qq", "999", "--type", "1", "--expiry",
          "2031-01-01"},
         0,
         [](Storage& s) {
             AccountRecord expected{"alice", "pw1", "999", "555", "", 1, DateTime{2031, 1, 1}};
             EXPECT_EQ(s.findAccount("alice"), expected);
         }},
        {"account set of an unknown account",
         {"account", "set", "--name", "bob", "--qq", "1"},
         2,
         nothingChanged},
        {"account set with a bad value",
         {"account", "set", "--name", "alice", "--password", "a|b"},
         1,
         nothingChanged},
        {"account without an action", {"account"}, 1, nothingChanged},
        {"account with an unknown action",
         {"account", "remove", "--name", "alice"},
         1,
         nothingChanged},
        // ---- cards
        {"card add with defaults",
         {"card", "add", "--number", "C2", "--days", "90"},
         0,
         [](Storage& s) {
             const auto cards = s.listCards();
             ASSERT_EQ(cards.size(), 2u);
             EXPECT_EQ(cards[1].number, "C2");
             EXPECT_EQ(cards[1].days, 90);
             EXPECT_FALSE(cards[1].used);
             const DateTime expected = tenYearsAhead();
             EXPECT_EQ(cards[1].validUntil.year, expected.year);
         }},
        {"card add with a validity date",
         {"card", "add", "--number", "C2", "--days", "1", "--valid-until", "2025-01-01 00:00:00"},
         0,
         [](Storage& s) {
             EXPECT_EQ(s.listCards()[1].validUntil, (DateTime{2025, 1, 1}));
         }},
        {"card add of an existing number",
         {"card", "add", "--number", "C1", "--days", "5"},
         2,
         nothingChanged},
        {"card add with days not a number",
         {"card", "add", "--number", "C2", "--days", "ten"},
         1,
         nothingChanged},
        {"card add with zero days",
         {"card", "add", "--number", "C2", "--days", "0"},
         1,
         nothingChanged},
        {"card add with negative days",
         {"card", "add", "--number", "C2", "--days", "-3"},
         1,
         nothingChanged},
        {"card add with a record separator",
         {"card", "add", "--number", "C☆2", "--days", "3"},
         1,
         nothingChanged},
        {"card add without days", {"card", "add", "--number", "C2"}, 1, nothingChanged},
        // ---- alerts
        {"alert publish with defaults",
         {"alert", "publish", "--code", "000001", "--name", "平安银行", "--operation", "卖出",
          "--buy", "", "--sell", "12"},
         0,
         [](Storage& s) {
             const auto alert = s.findAlert("2");
             ASSERT_TRUE(alert);
             EXPECT_EQ(alert->name, G("平安银行"));
             EXPECT_EQ(alert->buy, "");
             EXPECT_EQ(alert->remark, "");
             EXPECT_EQ(alert->audience, "1");
             EXPECT_EQ(alert->popup, "1");
             EXPECT_NE(protocol::parseDateTime(alert->time), DateTime::null());
             EXPECT_EQ(lastKind(s), OperatorEvent::Kind::AlertPublished);
             EXPECT_EQ(s.lastEventSequence(), 3);
         }},
        {"alert publish for free members without popup",
         {"alert", "publish", "--code", "1", "--name", "n", "--operation", "o", "--buy", "b",
          "--sell", "s", "--audience", "0", "--popup", "0", "--time", "2024-01-02 03:04:05"},
         0,
         [](Storage& s) {
             const auto alert = s.findAlert("2");
             ASSERT_TRUE(alert);
             EXPECT_EQ(alert->audience, "0");
             EXPECT_EQ(alert->popup, "0");
             EXPECT_EQ(alert->time, "2024-01-02 03:04:05");
         }},
        {"alert publish without the sell price",
         {"alert", "publish", "--code", "1", "--name", "n", "--operation", "o", "--buy", "b"},
         1,
         nothingChanged},
        {"alert publish with a record separator",
         {"alert", "publish", "--code", "1", "--name", "n", "--operation", "o", "--buy", "b",
          "--sell", "s", "--remark", "a☆b"},
         1,
         nothingChanged},
        {"alert publish with a record field separator",
         {"alert", "publish", "--code", "1", "--name", "甲々", "--operation", "o", "--buy", "b",
          "--sell", "s"},
         1,
         nothingChanged},
        {"alert publish with audience 2",
         {"alert", "publish", "--code", "1", "--name", "n", "--operation", "o", "--buy", "b",
          "--sell", "s", "--audience", "2"},
         1,
         nothingChanged},
        {"alert publish with a bad time",
         {"alert", "publish", "--code", "1", "--name", "n", "--operation", "o", "--buy", "b",
          "--sell", "s", "--time", "noon"},
         1,
         nothingChanged},
        {"alert update keeps what is not given",
         {"alert", "update", "--id", "1", "--buy", "9.9", "--popup", "0"},
         0,
         [](Storage& s) {
             const auto alert = s.findAlert("1");
             ASSERT_TRUE(alert);
             EXPECT_EQ(alert->buy, "9.9");
             EXPECT_EQ(alert->popup, "0");
             EXPECT_EQ(alert->name, G("浦发银行"));
             EXPECT_EQ(alert->time, "2024-06-15 09:30:00");
             EXPECT_EQ(lastKind(s), OperatorEvent::Kind::AlertUpdated);
         }},
        {"alert update of an unknown id",
         {"alert", "update", "--id", "7", "--buy", "1"},
         2,
         nothingChanged},
        {"alert update with an id not a number",
         {"alert", "update", "--id", "one", "--buy", "1"},
         1,
         nothingChanged},
        {"alert update without an id", {"alert", "update", "--buy", "1"}, 1, nothingChanged},
        {"alert update with a separator",
         {"alert", "update", "--id", "1", "--buy", "1|2"},
         1,
         nothingChanged},
        {"alert remove of existing and unknown ids",
         {"alert", "remove", "--id", "1", "--id", "7"},
         0,
         [](Storage& s) {
             EXPECT_FALSE(s.findAlert("1"));
             const auto events = s.eventsAfter(0);
             ASSERT_FALSE(events.empty());
             EXPECT_EQ(events.back().kind, OperatorEvent::Kind::AlertsRemoved);
             EXPECT_EQ(events.back().subjects, std::vector<std::string>{"1"});
         }},
        {"alert remove of unknown ids only", {"alert", "remove", "--id", "7"}, 2, nothingChanged},
        {"alert remove without ids", {"alert", "remove"}, 1, nothingChanged},
        {"alert remove with a bad id",
         {"alert", "remove", "--id", "1", "--id", "-2"},
         1,
         nothingChanged},
        // ---- notices
        {"notice publish with every field",
         {"notice", "publish", "--title", "公告", "--body", "<p>内容</p>", "--stars", "5",
          "--channel", "4", "--popup", "0", "--time", "2024-02-03 04:05:06"},
         0,
         [](Storage& s) {
             const protocol::NoticeRecord expected{
                 "2", "2024-02-03 04:05:06", G("公告"), "5", G("<p>内容</p>"), "4", "0"};
             EXPECT_EQ(s.findNotice("2"), expected);
             EXPECT_EQ(lastKind(s), OperatorEvent::Kind::NoticePublished);
         }},
        {"notice publish with defaults",
         {"notice", "publish", "--title", "t", "--body", "b"},
         0,
         [](Storage& s) {
             const auto notice = s.findNotice("2");
             ASSERT_TRUE(notice);
             EXPECT_EQ(notice->stars, "1");
             EXPECT_EQ(notice->channel, "0");
             EXPECT_EQ(notice->popup, "1");
         }},
        {"notice publish with six stars",
         {"notice", "publish", "--title", "t", "--body", "b", "--stars", "6"},
         1,
         nothingChanged},
        {"notice publish with channel 6",
         {"notice", "publish", "--title", "t", "--body", "b", "--channel", "6"},
         1,
         nothingChanged},
        {"notice publish without body", {"notice", "publish", "--title", "t"}, 1, nothingChanged},
        {"notice update keeps what is not given",
         {"notice", "update", "--id", "1", "--title", "新标题"},
         0,
         [](Storage& s) {
             const auto notice = s.findNotice("1");
             ASSERT_TRUE(notice);
             EXPECT_EQ(notice->title, G("新标题"));
             EXPECT_EQ(notice->body, G("<b>正文</b>"));
             EXPECT_EQ(notice->channel, "2");
             EXPECT_EQ(lastKind(s), OperatorEvent::Kind::NoticeUpdated);
         }},
        {"notice update of an unknown id",
         {"notice", "update", "--id", "5", "--title", "x"},
         2,
         nothingChanged},
        {"notice remove in its channel",
         {"notice", "remove", "--id", "1", "--channel", "2"},
         0,
         [](Storage& s) {
             EXPECT_FALSE(s.findNotice("1"));
             const auto events = s.eventsAfter(0);
             ASSERT_FALSE(events.empty());
             EXPECT_EQ(events.back().kind, OperatorEvent::Kind::NoticesRemoved);
             EXPECT_EQ(events.back().channel, "2");
         }},
        {"notice remove in another channel",
         {"notice", "remove", "--id", "1", "--channel", "3"},
         2,
         nothingChanged},
        {"notice remove without channel", {"notice", "remove", "--id", "1"}, 1, nothingChanged},
        {"notice list is no action", {"notice", "list"}, 1, nothingChanged},
        // ---- kick and the rest
        {"kick a member",
         {"kick", "alice"},
         0,
         [](Storage& s) {
             const auto events = s.eventsAfter(0);
             ASSERT_FALSE(events.empty());
             EXPECT_EQ(events.back().kind, OperatorEvent::Kind::Kick);
             EXPECT_EQ(events.back().subjects, std::vector<std::string>{"alice"});
         }},
        {"kick an unknown account", {"kick", "bob"}, 2, nothingChanged},
        {"kick without account", {"kick"}, 1, nothingChanged},
        {"kick two accounts", {"kick", "alice", "bob"}, 1, nothingChanged},
        {"unknown group", {"member", "add"}, 1, nothingChanged},
    };
    return cases;
}

TEST_F(OperatorCommandsTest, CommandLinesAndTheStateTheyLeave) {
    seed();
    const auto seeded = std::move(database);
    for (const CommandCase& c : commandCases()) {
        SCOPED_TRACE(c.title);
        // Each case on its own copy of the seeded database (closed, so the
        // file holds everything).
        database = std::make_unique<test::TempDatabase>();
        std::filesystem::copy_file(seeded->file(), database->file());
        const Outcome outcome = run(c.args);
        EXPECT_EQ(outcome.code, c.code) << outcome.err;
        if (c.code == 0) {
            EXPECT_TRUE(outcome.err.empty()) << outcome.err;
        } else {
            EXPECT_FALSE(outcome.err.empty());
        }
        const auto after = storage();
        ASSERT_TRUE(after);
        c.check(*after);
    }
}

TEST_F(OperatorCommandsTest, ListsPrintOneLinePerRecord) {
    seed();
    ASSERT_EQ(run({"account", "add", "--name", "张三", "--password", "pw", "--type", "1",
                   "--expiry", "2030-01-02 03:04:05", "--qq", "88", "--phone", "139"})
                  .code,
              0);
    Outcome accounts = run({"account", "list"});
    EXPECT_EQ(accounts.code, 0);
    EXPECT_EQ(accounts.out,
              "alice\t0\t-\t123\t555\n"
              "张三\t1\t2030-01-02 03:04:05\t88\t139\n");

    ASSERT_EQ(
        run({"card", "add", "--number", "C2", "--days", "7", "--valid-until", "2026-01-01"}).code,
        0);
    ASSERT_EQ(storage()->recharge("alice", "pw1", "C2", DateTime{2025, 5, 6, 7, 8, 9}),
              RechargeResult::Recharged);
    Outcome cards = run({"card", "list"});
    EXPECT_EQ(cards.code, 0);
    const std::string secondCard = "C2\t7\t2026-01-01 00:00:00\tused\talice\t2025-05-06 07:08:09\n";
    ASSERT_GE(cards.out.size(), secondCard.size());
    EXPECT_TRUE(cards.out.starts_with("C1\t30\t")) << cards.out;
    EXPECT_TRUE(cards.out.ends_with("\tunused\t\t\n" + secondCard)) << cards.out;

    ASSERT_EQ(
        run({"alert", "publish", "--code", "000001", "--name", "平安银行", "--operation", "卖出",
             "--buy", "9", "--sell", "12", "--audience", "0", "--time", "2024-06-16 10:00:00"})
            .out,
        "2\n");
    EXPECT_EQ(run({"alert", "list"}).out,
              "2\t2024-06-16 10:00:00\t0\t1\t000001\t平安银行\t卖出\t9\t12\t\n"
              "1\t2024-06-15 09:30:00\t1\t1\t600000\t浦发银行\t买入\t10.5\t11\t短线\n");
    EXPECT_EQ(run({"alert", "list", "--count", "1"}).out.substr(0, 2), "2\t");
    EXPECT_EQ(run({"alert", "list", "--count", "0"}).code, 1);
}

TEST_F(OperatorCommandsTest, HelpAndUsage) {
    for (const char* group : {"account", "card", "alert", "notice", "kick"}) {
        const Outcome help = run({group, "--help"}, false);
        EXPECT_EQ(help.code, 0) << group;
        EXPECT_NE(help.out.find(std::string("lanzhou-server ") + group), std::string::npos)
            << help.out;
    }
    EXPECT_EQ(run({"alert", "publish", "--help"}, false).code, 0);

    const Outcome empty = run({}, false);
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("account add|set|list"), std::string::npos) << empty.err;

    const Outcome separator = run({"account", "add", "--name", "a|b", "--password", "pw"});
    EXPECT_NE(separator.err.find("--name must not contain \"|\""), std::string::npos)
        << separator.err;
    const Outcome number = run({"card", "add", "--number", "C", "--days", "x"});
    EXPECT_NE(number.err.find("--days must be a whole number"), std::string::npos) << number.err;
}

TEST_F(OperatorCommandsTest, TheDatabaseOption) {
    const Outcome missing = run({"account", "list"}, false);
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("--db"), std::string::npos);
    EXPECT_EQ(run({"kick", "alice"}, false).code, 1);
    // A usage error never creates the database.
    EXPECT_EQ(run({"account", "add", "--name", "x"}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(database->file()));

    const Outcome unopenable =
        run({"account", "list", "--db", (database->folder() / "no" / "such.db").string()}, false);
    EXPECT_EQ(unopenable.code, 2);
    EXPECT_NE(unopenable.err.find("cannot open the database"), std::string::npos);

    EXPECT_EQ(run({"account", "list"}).code, 0);  // creates an empty database
    EXPECT_TRUE(std::filesystem::exists(database->file()));
}

}  // namespace
}  // namespace lanzhou::server
