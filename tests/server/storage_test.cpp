// SqliteStorage on a temporary database file: every result of every
// operation, the recharge race between two connections, expiry arithmetic,
// operator events and what the file looks like on disk.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <barrier>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/storage.h"
#include "temp_database.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::server {
namespace {

using protocol::AlertRecord;
using protocol::DateTime;
using protocol::NoticeRecord;
using test::G;

const DateTime kNow{2024, 6, 15, 12, 0, 0};

std::unique_ptr<Storage> open(const std::filesystem::path& file) {
    OpenResult opened = openSqliteStorage(file);
    EXPECT_TRUE(opened.storage) << opened.error;
    return std::move(opened.storage);
}

AccountRecord account(std::string name, std::string password, std::string qq = "10001",
                      std::string phone = "13800000000", std::string adapter = {}) {
    AccountRecord record;
    record.name = std::move(name);
    record.password = std::move(password);
    record.qq = std::move(qq);
    record.phone = std::move(phone);
    record.adapter = std::move(adapter);
    return record;
}

CardRecord card(std::string number, std::int32_t days, DateTime validUntil) {
    CardRecord record;
    record.number = std::move(number);
    record.days = days;
    record.validUntil = validUntil;
    return record;
}

AlertRecord alertDraft(std::string code, std::string audience,
                       std::string time = "2024-06-15 09:30:00") {
    AlertRecord alert;
    alert.time = std::move(time);
    alert.code = std::move(code);
    alert.name = G("浦发银行");
    alert.operation = G("买入");
    alert.buy = "10.5";
    alert.sell = "11.2";
    alert.remark = G("短线");
    alert.audience = std::move(audience);
    alert.popup = "1";
    return alert;
}

NoticeRecord noticeDraft(std::string channel) {
    NoticeRecord notice;
    notice.time = "2024-06-15 08:00:00";
    notice.title = G("早盘提示");
    notice.stars = "4";
    notice.body = G("<b>大盘</b>震荡");
    notice.channel = std::move(channel);
    notice.popup = "0";
    return notice;
}

// One text cell read with the sqlite3 library, bypassing the storage.
std::string rawText(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    std::string value;
    sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr) {
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        storage = open(database.file());
        ASSERT_TRUE(storage);
    }

    test::TempDatabase database;
    std::unique_ptr<Storage> storage;
};

// ------------------------------------------------------------ the file

TEST_F(StorageTest, NewFileIsPrivateAndItsJournalToo) {
    if (std::filesystem::path::preferred_separator != '/') {
        GTEST_SKIP() << "POSIX permissions only";
    }
    ASSERT_TRUE(storage->addAccount(account("alice", "pw")));  // makes the WAL file
    const auto privateMode =
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const auto path = database.file().string() + suffix;
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
                  privateMode)
            << path;
    }
}

TEST_F(StorageTest, ReopeningKeepsEverythingAndTheSchemaVersion) {
    ASSERT_TRUE(storage->addAccount(account(G("张三"), "pw")));
    ASSERT_TRUE(storage->addCard(card("C1", 30, kNow)));
    const auto alert = storage->publishAlert(alertDraft("600000", "1"));
    ASSERT_TRUE(alert);
    const auto events = storage->lastEventSequence();
    storage.reset();

    const auto reopened = open(database.file());
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->findAccount(G("张三")));
    EXPECT_EQ(reopened->listCards().size(), 1u);
    EXPECT_EQ(reopened->findAlert(alert->id), alert);
    EXPECT_EQ(reopened->lastEventSequence(), events);
    EXPECT_EQ(rawText(database.file(), "PRAGMA user_version"), "1");
    EXPECT_EQ(rawText(database.file(), "PRAGMA journal_mode"), "wal");
}

TEST_F(StorageTest, TextsAreUtf8InTheFileAndGbkAtTheInterface) {
    ASSERT_TRUE(storage->addAccount(account(G("张三"), G("密码"), "10001", "13800000000")));
    EXPECT_EQ(rawText(database.file(), "SELECT name FROM accounts"), "张三");
    EXPECT_EQ(rawText(database.file(), "SELECT password FROM accounts"), "密码");
    const auto found = storage->findAccount(G("张三"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->password, G("密码"));
}

TEST(StorageOpenTest, RefusesWhatIsNotItsDatabase) {
    test::TempDatabase database;
    {
        // A database of a newer program.
        sqlite3* db = nullptr;
        sqlite3_open(database.file().string().c_str(), &db);
        sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    OpenResult newer = openSqliteStorage(database.file());
    EXPECT_FALSE(newer.storage);
    EXPECT_NE(newer.error.find("newer"), std::string::npos) << newer.error;

    const auto text = database.folder() / "notes.txt";
    std::FILE* file = std::fopen(text.string().c_str(), "wb");
    std::fputs("this is not a database, just some words long enough to matter\n", file);
    std::fclose(file);
    OpenResult notDatabase = openSqliteStorage(text);
    EXPECT_FALSE(notDatabase.storage);
    EXPECT_FALSE(notDatabase.error.empty());

    OpenResult folder = openSqliteStorage(database.folder());
    EXPECT_FALSE(folder.storage);
    OpenResult missingFolder = openSqliteStorage(database.folder() / "nope" / "x.db");
    EXPECT_FALSE(missingFolder.storage);
}

// ---------------------------------------------------------- accounts

TEST_F(StorageTest, RegistrationResults) {
    ASSERT_TRUE(storage->addAccount(account("taken", "pw", "1", "2", "00-11-22-33-44-55")));
    struct Case {
        const char* title;
        AccountRecord account;
        bool onePerComputer;
        RegisterResult expected;
    };
    const std::vector<Case> cases = {
        {"new account", account("bob", "pw"), true, RegisterResult::Registered},
        {"same name", account("bob", "other"), false, RegisterResult::AccountExists},
        {"name of an operator's account", account("taken", "pw"), true,
         RegisterResult::AccountExists},
        {"adapter used, one per computer", account("carol", "pw", "1", "2", "00-11-22-33-44-55"),
         true, RegisterResult::MachineTaken},
        {"adapter used, several allowed", account("dave", "pw", "1", "2", "00-11-22-33-44-55"),
         false, RegisterResult::Registered},
        {"no adapter, one per computer", account("erin", "pw"), true, RegisterResult::Registered},
        {"no adapter again", account("frank", "pw"), true, RegisterResult::Registered},
        {"Chinese name", account(G("李四"), G("口令")), true, RegisterResult::Registered},
        {"empty name", account("", "pw"), false, RegisterResult::Failed},
        {"empty password", account("gina", ""), false, RegisterResult::Failed},
        {"separator in password", account("hank", "p|w"), false, RegisterResult::Failed},
        {"separator in QQ", account("ivan", "pw", "1|2"), false, RegisterResult::Failed},
        {"bytes that are not GBK", account("j\xFF", "pw"), false, RegisterResult::Failed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(storage->registerAccount(c.account, c.onePerComputer), c.expected) << c.title;
    }
    EXPECT_FALSE(storage->findAccount("gina"));
    EXPECT_FALSE(storage->findAccount("j\xFF"));
    EXPECT_EQ(storage->findAccount("bob")->password, "pw");  // the second try changed nothing
}

TEST_F(StorageTest, RegistrationMakesAFreeAccountWhateverTheDraftSays) {
    AccountRecord draft = account(G("王五"), "pw", "777", "888", "AA-BB-CC-DD-EE-FF");
    draft.userType = 1;
    draft.expiry = DateTime{2030, 1, 1, 0, 0, 0};
    ASSERT_EQ(storage->registerAccount(draft, false), RegisterResult::Registered);
    AccountRecord expected = draft;
    expected.userType = 0;
    expected.expiry = DateTime::null();
    EXPECT_EQ(storage->findAccount(G("王五")), expected);
}

TEST_F(StorageTest, OperatorAccountsAddUpdateAndList) {
    AccountRecord paying = account("alice", "pw", "1", "2");
    paying.userType = 1;
    paying.expiry = DateTime{2025, 1, 1, 0, 0, 0};
    ASSERT_TRUE(storage->addAccount(paying));
    ASSERT_TRUE(storage->addAccount(account("bob", "pw")));
    EXPECT_FALSE(storage->addAccount(account("alice", "again")));
    EXPECT_FALSE(storage->addAccount(account("x|y", "pw")));
    AccountRecord badType = account("carl", "pw");
    badType.userType = 2;
    EXPECT_FALSE(storage->addAccount(badType));

    paying.password = "new";
    paying.adapter = "00-00-00-00-00-01";
    EXPECT_TRUE(storage->updateAccount(paying));
    EXPECT_FALSE(storage->updateAccount(account("nobody", "pw")));

    const auto accounts = storage->listAccounts();
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_EQ(accounts[0], paying);  // in the order they were made
    EXPECT_EQ(accounts[1].name, "bob");
    EXPECT_FALSE(storage->findAccount("nobody"));
}

TEST_F(StorageTest, PasswordChangeAndRetrieval) {
    ASSERT_TRUE(storage->addAccount(account("alice", "old", "10001", "138")));
    ASSERT_TRUE(storage->addAccount(account("nocontacts", "secret", "", "")));
    struct Case {
        const char* title;
        const char* name;
        const char* qq;
        const char* phone;
        const char* newPassword;
        ChangeResult change;
    };
    const std::vector<Case> cases = {
        {"wrong QQ", "alice", "10002", "138", "x", ChangeResult::DataWrong},
        {"wrong telephone", "alice", "10001", "139", "x", ChangeResult::DataWrong},
        {"unknown account", "bob", "10001", "138", "x", ChangeResult::DataWrong},
        {"empty contacts never match", "nocontacts", "", "", "x", ChangeResult::DataWrong},
        {"separator in new password", "alice", "10001", "138", "a|b", ChangeResult::Failed},
        {"empty new password", "alice", "10001", "138", "", ChangeResult::Failed},
        {"all match", "alice", "10001", "138", "new", ChangeResult::Changed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(storage->changePassword(c.name, c.qq, c.phone, c.newPassword), c.change)
            << c.title;
    }
    EXPECT_EQ(storage->findAccount("alice")->password, "new");
    EXPECT_EQ(storage->findAccount("nocontacts")->password, "secret");

    EXPECT_EQ(storage->retrievePassword("alice", "10001", "138"), "new");
    EXPECT_EQ(storage->retrievePassword("alice", "10001", "999"), std::nullopt);
    EXPECT_EQ(storage->retrievePassword("alice", "99999", "138"), std::nullopt);
    EXPECT_EQ(storage->retrievePassword("bob", "10001", "138"), std::nullopt);
    EXPECT_EQ(storage->retrievePassword("nocontacts", "", ""), std::nullopt);
}

// ------------------------------------------------------------ recharge

TEST_F(StorageTest, RechargeResultsInTheOrderTheyAreChecked) {
    ASSERT_TRUE(storage->addAccount(account("alice", "pw")));
    ASSERT_TRUE(storage->addCard(card("GOOD", 30, DateTime{2030, 1, 1, 0, 0, 0})));
    ASSERT_TRUE(storage->addCard(card("OLD", 30, DateTime{2024, 6, 15, 11, 59, 59})));
    ASSERT_TRUE(storage->addCard(card("LASTSECOND", 30, kNow)));
    struct Case {
        const char* title;
        const char* name;
        const char* password;
        const char* number;
        RechargeResult expected;
    };
    const std::vector<Case> cases = {
        {"unknown account (before the card)", "bob", "pw", "NOPE", RechargeResult::UnknownAccount},
        {"wrong password (before the card)", "alice", "PW", "NOPE", RechargeResult::WrongPassword},
        {"unknown card", "alice", "pw", "NOPE", RechargeResult::BadCard},
        {"empty card", "alice", "pw", "", RechargeResult::BadCard},
        {"card expired", "alice", "pw", "OLD", RechargeResult::CardExpired},
        {"card valid to this second", "alice", "pw", "LASTSECOND", RechargeResult::Recharged},
        {"good card", "alice", "pw", "GOOD", RechargeResult::Recharged},
        {"card used already", "alice", "pw", "GOOD", RechargeResult::BadCard},
        {"expired card of an unknown account", "bob", "pw", "OLD", RechargeResult::UnknownAccount},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(storage->recharge(c.name, c.password, c.number, kNow), c.expected) << c.title;
    }
    const auto cards = storage->listCards();
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_TRUE(cards[0].used);
    EXPECT_EQ(cards[0].usedBy, "alice");
    EXPECT_EQ(cards[0].usedAt, kNow);
    EXPECT_FALSE(cards[1].used);
    EXPECT_EQ(cards[1].usedAt, DateTime::null());
    EXPECT_TRUE(cards[2].used);
}

TEST_F(StorageTest, RechargeExtendsFromTheLaterOfNowAndTheExpiry) {
    struct Case {
        const char* title;
        std::int32_t type;
        DateTime expiry;
        std::int32_t days;
        DateTime expected;
    };
    const std::vector<Case> cases = {
        {"new free account", 0, DateTime::null(), 30, DateTime{2024, 7, 15, 12, 0, 0}},
        {"expired member", 1, DateTime{2023, 1, 1, 0, 0, 0}, 1, DateTime{2024, 6, 16, 12, 0, 0}},
        {"current member", 1, DateTime{2024, 12, 30, 8, 0, 0}, 3, DateTime{2025, 1, 2, 8, 0, 0}},
        {"expiring this second", 1, kNow, 1, DateTime{2024, 6, 16, 12, 0, 0}},
        {"across a leap day", 1, DateTime{2028, 2, 28, 0, 0, 0}, 2, DateTime{2028, 3, 1, 0, 0, 0}},
        {"beyond year 9999 stops there", 1, DateTime{9999, 6, 1, 0, 0, 0}, 36500,
         DateTime{9999, 12, 31, 23, 59, 59}},
    };
    int serial = 0;
    for (const Case& c : cases) {
        const std::string name = "member" + std::to_string(serial);
        const std::string number = "CARD" + std::to_string(serial++);
        AccountRecord member = account(name, "pw");
        member.userType = c.type;
        member.expiry = c.expiry;
        ASSERT_TRUE(storage->addAccount(member));
        ASSERT_TRUE(storage->addCard(card(number, c.days, DateTime{2030, 1, 1, 0, 0, 0})));
        ASSERT_EQ(storage->recharge(name, "pw", number, kNow), RechargeResult::Recharged)
            << c.title;
        const auto after = storage->findAccount(name);
        EXPECT_EQ(after->userType, 1) << c.title;
        EXPECT_EQ(after->expiry, c.expected) << c.title;
    }
}

TEST(StorageRaceTest, TwoConnectionsRacingForOneCardUseItOnce) {
    test::TempDatabase database;
    const auto first = open(database.file());
    const auto second = open(database.file());
    ASSERT_TRUE(first && second);
    constexpr int kCards = 20;
    ASSERT_TRUE(first->addAccount(account("alice", "pw")));
    ASSERT_TRUE(first->addAccount(account("bob", "pw")));
    for (int i = 0; i < kCards; ++i) {
        ASSERT_TRUE(first->addCard(card("RACE" + std::to_string(i), 1, DateTime{2030, 1, 1})));
    }
    std::vector<RechargeResult> results[2];
    std::barrier start(2);
    auto racer = [&](Storage& storage, const char* name, std::vector<RechargeResult>& out) {
        for (int i = 0; i < kCards; ++i) {
            start.arrive_and_wait();
            out.push_back(storage.recharge(name, "pw", "RACE" + std::to_string(i), kNow));
        }
    };
    std::thread a(racer, std::ref(*first), "alice", std::ref(results[0]));
    std::thread b(racer, std::ref(*second), "bob", std::ref(results[1]));
    a.join();
    b.join();

    int aliceDays = 0;
    for (int i = 0; i < kCards; ++i) {
        const RechargeResult one = results[0][static_cast<std::size_t>(i)];
        const RechargeResult other = results[1][static_cast<std::size_t>(i)];
        EXPECT_TRUE((one == RechargeResult::Recharged && other == RechargeResult::BadCard) ||
                    (one == RechargeResult::BadCard && other == RechargeResult::Recharged))
            << "card " << i << ": " << static_cast<int>(one) << " " << static_cast<int>(other);
        aliceDays += one == RechargeResult::Recharged ? 1 : 0;
    }
    for (const CardRecord& used : first->listCards()) {
        EXPECT_TRUE(used.used) << used.number;
    }
    // Each member got exactly the days of the cards recorded as theirs.
    const auto alice = second->findAccount("alice");
    if (aliceDays > 0) {
        EXPECT_EQ(alice->expiry, kNow.plusSeconds(std::int64_t{aliceDays} * 86400));
    } else {
        EXPECT_EQ(alice->expiry, DateTime::null());
    }
}

// ------------------------------------------------------ alerts, notices

TEST_F(StorageTest, PublishedAlertsGetIdsAndNormalisedFields) {
    AlertRecord draft = alertDraft("600000", "1", "2024-6-5 9:30");
    draft.id = "777";     // ignored
    draft.popup = "yes";  // not the flag "1"
    const auto first = storage->publishAlert(draft);
    const auto second = storage->publishAlert(alertDraft("000001", "0"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, "1");
    EXPECT_EQ(second->id, "2");
    EXPECT_EQ(first->time, "2024-06-05 09:30:00");
    EXPECT_EQ(first->popup, "0");
    EXPECT_EQ(first->name, G("浦发银行"));
    EXPECT_EQ(storage->findAlert("1"), first);
    for (const char* id : {"3", "", "x", "-1", "01x", "99999999999999999999"}) {
        EXPECT_FALSE(storage->findAlert(id)) << id;
    }
}

TEST_F(StorageTest, AlertDraftsThatWouldBreakMessagesAreRefused) {
    struct Case {
        const char* title;
        std::function<void(AlertRecord&)> spoil;
    };
    const std::vector<Case> cases = {
        {"time not a date", [](AlertRecord& a) { a.time = "soon"; }},
        {"empty time", [](AlertRecord& a) { a.time.clear(); }},
        {"audience 2", [](AlertRecord& a) { a.audience = "2"; }},
        {"audience not a number", [](AlertRecord& a) { a.audience = "paying"; }},
        {"field separator", [](AlertRecord& a) { a.remark = "a|b"; }},
        {"record separator", [](AlertRecord& a) { a.name = G("甲☆乙"); }},
        {"record field separator", [](AlertRecord& a) { a.operation = G("买々入"); }},
        {"bytes that are not GBK", [](AlertRecord& a) { a.code = "\x81"; }},
    };
    for (const Case& c : cases) {
        AlertRecord draft = alertDraft("600000", "1");
        c.spoil(draft);
        EXPECT_FALSE(storage->publishAlert(draft)) << c.title;
    }
    EXPECT_TRUE(storage->listAlerts(10).empty());
    EXPECT_EQ(storage->lastEventSequence(), 0);
}

TEST_F(StorageTest, LatestAlertsAreTheNewestOfTheAudienceOldestFirst) {
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(storage->publishAlert(alertDraft("P" + std::to_string(i), "1")));
        ASSERT_TRUE(storage->publishAlert(alertDraft("F" + std::to_string(i), "0")));
    }
    auto codes = [](const std::vector<AlertRecord>& alerts) {
        std::vector<std::string> result;
        for (const auto& alert : alerts) {
            result.push_back(alert.code);
        }
        return result;
    };
    EXPECT_EQ(codes(storage->latestAlerts(1, 3)), (std::vector<std::string>{"P3", "P4", "P5"}));
    EXPECT_EQ(codes(storage->latestAlerts(0, 2)), (std::vector<std::string>{"F4", "F5"}));
    EXPECT_EQ(storage->latestAlerts(0, 500).size(), 6u);
    EXPECT_TRUE(storage->latestAlerts(1, 0).empty());
    EXPECT_TRUE(storage->latestAlerts(1, -5).empty());
    EXPECT_TRUE(storage->latestAlerts(2, 10).empty());
    // The operator's list: every audience, newest first.
    EXPECT_EQ(codes(storage->listAlerts(3)), (std::vector<std::string>{"F5", "P5", "F4"}));
}

TEST_F(StorageTest, LatestAlertsFollowEveryChangeOfEveryConnection) {
    // The server's connection reads the list for each login; operator
    // commands change the alerts through their own connections.
    const auto server = open(database.file());
    ASSERT_TRUE(server);
    const auto first = storage->publishAlert(alertDraft("A", "1"));
    ASSERT_TRUE(first);
    auto codes = [&server](std::int32_t count) {
        std::string joined;
        for (const auto& alert : server->latestAlerts(1, count)) {
            joined += alert.code + alert.sell + ",";
        }
        return joined;
    };
    EXPECT_EQ(codes(10), "A11.2,");
    EXPECT_EQ(codes(10), "A11.2,");  // unchanged, read again

    ASSERT_TRUE(storage->publishAlert(alertDraft("B", "1")));
    EXPECT_EQ(codes(10), "A11.2,B11.2,");
    EXPECT_EQ(codes(1), "B11.2,");

    AlertRecord changed = *first;
    changed.sell = "99";
    ASSERT_TRUE(storage->updateAlert(changed));  // same number of rows
    EXPECT_EQ(codes(10), "A99,B11.2,");

    ASSERT_TRUE(server->removeAlerts({first->id}));  // through the reading connection
    EXPECT_EQ(codes(10), "B11.2,");
    ASSERT_TRUE(server->publishAlert(alertDraft("C", "0")));
    EXPECT_EQ(codes(10), "B11.2,");
    EXPECT_EQ(server->latestAlerts(0, 10).size(), 1u);
}

TEST_F(StorageTest, AlertUpdatesAndRemovals) {
    const auto alert = storage->publishAlert(alertDraft("600000", "1"));
    ASSERT_TRUE(alert);
    AlertRecord changed = *alert;
    changed.sell = "12.0";
    changed.audience = "0";
    EXPECT_TRUE(storage->updateAlert(changed));
    EXPECT_EQ(storage->findAlert(alert->id), changed);
    changed.id = "42";
    EXPECT_FALSE(storage->updateAlert(changed));
    changed.id = alert->id;
    changed.remark = "x|y";
    EXPECT_FALSE(storage->updateAlert(changed));

    EXPECT_FALSE(storage->removeAlerts({"42", "x"}));
    EXPECT_FALSE(storage->removeAlerts({}));
    EXPECT_TRUE(storage->removeAlerts({"42", alert->id}));
    EXPECT_FALSE(storage->findAlert(alert->id));
    EXPECT_FALSE(storage->removeAlerts({alert->id}));
}

TEST_F(StorageTest, NoticesPublishUpdateAndRemoveWithinTheirChannel) {
    const auto notice = storage->publishNotice(noticeDraft("2"));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->id, "1");
    EXPECT_EQ(notice->body, G("<b>大盘</b>震荡"));
    EXPECT_EQ(storage->findNotice("1"), notice);

    struct Case {
        const char* title;
        std::function<void(NoticeRecord&)> spoil;
    };
    const std::vector<Case> refused = {
        {"stars 0", [](NoticeRecord& n) { n.stars = "0"; }},
        {"stars 6", [](NoticeRecord& n) { n.stars = "6"; }},
        {"channel 6", [](NoticeRecord& n) { n.channel = "6"; }},
        {"channel empty", [](NoticeRecord& n) { n.channel.clear(); }},
        {"time not a date", [](NoticeRecord& n) { n.time = "2024-13-01 00:00:00"; }},
        {"separator in body", [](NoticeRecord& n) { n.body = "a|b"; }},
        {"record separator in title", [](NoticeRecord& n) { n.title = G("☆"); }},
    };
    for (const Case& c : refused) {
        NoticeRecord draft = noticeDraft("1");
        c.spoil(draft);
        EXPECT_FALSE(storage->publishNotice(draft)) << c.title;
        NoticeRecord update = *notice;
        c.spoil(update);
        EXPECT_FALSE(storage->updateNotice(update)) << c.title;
    }

    NoticeRecord changed = *notice;
    changed.title = G("午盘提示");
    changed.popup = "1";
    EXPECT_TRUE(storage->updateNotice(changed));
    EXPECT_EQ(storage->findNotice("1"), changed);
    changed.id = "9";
    EXPECT_FALSE(storage->updateNotice(changed));

    EXPECT_FALSE(storage->removeNotices({"1"}, "3"));  // another channel's removal
    EXPECT_FALSE(storage->removeNotices({"1"}, "x"));
    EXPECT_TRUE(storage->findNotice("1"));
    EXPECT_TRUE(storage->removeNotices({"1", "9"}, "2"));
    EXPECT_FALSE(storage->findNotice("1"));
}

// --------------------------------------------------------------- events

TEST_F(StorageTest, OperatorEventsAreRecordedInOrderWithTheirSubjects) {
    ASSERT_TRUE(storage->addAccount(account(G("张三"), "pw")));
    const auto start = storage->lastEventSequence();
    const auto a1 = storage->publishAlert(alertDraft("600000", "1"));
    const auto a2 = storage->publishAlert(alertDraft("600001", "0"));
    ASSERT_TRUE(a1 && a2);
    ASSERT_TRUE(storage->updateAlert(*a1));
    ASSERT_TRUE(storage->removeAlerts({a1->id, "99", a2->id}));
    const auto n1 = storage->publishNotice(noticeDraft("3"));
    ASSERT_TRUE(n1);
    ASSERT_TRUE(storage->updateNotice(*n1));
    ASSERT_TRUE(storage->removeNotices({n1->id}, "3"));
    ASSERT_TRUE(storage->kick(G("张三")));
    // Failures record nothing.
    EXPECT_FALSE(storage->kick("nobody"));
    EXPECT_FALSE(storage->removeAlerts({"99"}));
    EXPECT_FALSE(storage->updateAlert(alertDraft("x", "1")));

    using Kind = OperatorEvent::Kind;
    const std::vector<std::pair<Kind, std::vector<std::string>>> expected = {
        {Kind::AlertPublished, {"1"}},  {Kind::AlertPublished, {"2"}},
        {Kind::AlertUpdated, {"1"}},    {Kind::AlertsRemoved, {"1", "2"}},
        {Kind::NoticePublished, {"1"}}, {Kind::NoticeUpdated, {"1"}},
        {Kind::NoticesRemoved, {"1"}},  {Kind::Kick, {G("张三")}},
    };
    const auto events = storage->eventsAfter(start);
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, expected[i].first) << i;
        EXPECT_EQ(events[i].subjects, expected[i].second) << i;
        if (i > 0) {
            EXPECT_GT(events[i].sequence, events[i - 1].sequence);
        }
    }
    EXPECT_EQ(events[6].channel, "3");
    EXPECT_EQ(storage->lastEventSequence(), events.back().sequence);
    EXPECT_TRUE(storage->eventsAfter(events.back().sequence).empty());
    EXPECT_EQ(storage->eventsAfter(events[5].sequence).size(), 2u);
}

TEST_F(StorageTest, AnotherConnectionSeesEventsAsTheyAreWritten) {
    // The running server's connection polls while operator commands write
    // through their own; every poll must see what was committed before it.
    const auto server = open(database.file());
    ASSERT_TRUE(server);
    std::int64_t last = server->lastEventSequence();
    for (int i = 0; i < 3; ++i) {
        const auto alert = storage->publishAlert(alertDraft("60000" + std::to_string(i), "1"));
        ASSERT_TRUE(alert);
        const auto events = server->eventsAfter(last);
        ASSERT_EQ(events.size(), 1u) << i;
        EXPECT_EQ(events[0].subjects, std::vector<std::string>{alert->id});
        EXPECT_EQ(server->findAlert(alert->id), alert);
        last = events[0].sequence;
    }
}

TEST_F(StorageTest, EventsComeInBoundedBatches) {
    const std::size_t total = 1005;
    for (std::size_t i = 0; i < total; ++i) {
        ASSERT_TRUE(storage->addAccount(account("m" + std::to_string(i), "pw")));
        ASSERT_TRUE(storage->kick("m" + std::to_string(i)));
    }
    const auto first = storage->eventsAfter(0);
    ASSERT_FALSE(first.empty());
    ASSERT_LT(first.size(), total);
    const auto rest = storage->eventsAfter(first.back().sequence);
    EXPECT_EQ(first.size() + rest.size(), total);
    EXPECT_EQ(rest.back().subjects, std::vector<std::string>{"m1004"});
}

}  // namespace
}  // namespace lanzhou::server
