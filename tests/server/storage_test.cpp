// The storage on a fresh database of each kind: reopening, accounts,
// recharge results, the recharge race between two connections and expiry
// arithmetic; and the SQLite file itself.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "storage_fixture.h"

namespace lanzhou::server::storage_test {
namespace {

// ------------------------------------------------------------ the file

TEST_F(SqliteStorageTest, NewFileIsPrivateAndItsJournalToo) {
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

TEST_P(StorageTest, ReopeningKeepsEverything) {
    ASSERT_TRUE(storage->addAccount(account(G("张三"), "pw")));
    ASSERT_TRUE(storage->addCard(card("C1", 30, kNow)));
    const auto alert = storage->publishAlert(alertDraft("600000", "1"));
    ASSERT_TRUE(alert);
    const auto events = storage->lastEventSequence();
    storage.reset();

    const auto reopened = database->open();
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->findAccount(G("张三")));
    EXPECT_EQ(reopened->listCards().size(), 1u);
    EXPECT_EQ(reopened->findAlert(alert->id), alert);
    EXPECT_EQ(reopened->lastEventSequence(), events);
}

TEST_F(SqliteStorageTest, FileIsInWalModeAtTheSchemaVersion) {
    storage.reset();
    ASSERT_TRUE(open(database.file()));
    EXPECT_EQ(rawText(database.file(), "PRAGMA user_version"), "1");
    EXPECT_EQ(rawText(database.file(), "PRAGMA journal_mode"), "wal");
}

TEST_F(SqliteStorageTest, TextsAreUtf8InTheFileAndGbkAtTheInterface) {
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
    auto newer = openSqliteStorage(database.file());
    EXPECT_FALSE(newer.has_value());
    EXPECT_NE(newer.error().find("newer"), std::string::npos) << newer.error();

    const auto text = database.folder() / "notes.txt";
    std::FILE* file = std::fopen(text.string().c_str(), "wb");
    std::fputs("this is not a database, just some words long enough to matter\n", file);
    std::fclose(file);
    auto notDatabase = openSqliteStorage(text);
    EXPECT_FALSE(notDatabase.has_value());
    EXPECT_FALSE(notDatabase.error().empty());

    auto folder = openSqliteStorage(database.folder());
    EXPECT_FALSE(folder.has_value());
    auto missingFolder = openSqliteStorage(database.folder() / "nope" / "x.db");
    EXPECT_FALSE(missingFolder.has_value());
}

// ---------------------------------------------------------- accounts

TEST_P(StorageTest, RegistrationResults) {
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

TEST_P(StorageTest, RegistrationMakesAFreeAccountWhateverTheDraftSays) {
    AccountRecord draft = account(G("王五"), "pw", "777", "888", "AA-BB-CC-DD-EE-FF");
    draft.userType = 1;
    draft.expiry = DateTime{2030, 1, 1, 0, 0, 0};
    ASSERT_EQ(storage->registerAccount(draft, false), RegisterResult::Registered);
    AccountRecord expected = draft;
    expected.userType = 0;
    expected.expiry = DateTime::null();
    EXPECT_EQ(storage->findAccount(G("王五")), expected);
}

TEST_P(StorageTest, OperatorAccountsAddUpdateAndList) {
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

TEST_P(StorageTest, PasswordChangeAndRetrieval) {
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

TEST_P(StorageTest, ANameWithANulByteNeverReachesAnotherAccount) {
    // Cut at the NUL, the name would be "alice".
    ASSERT_TRUE(storage->addAccount(account("alice", "pw", "10001", "138")));
    ASSERT_TRUE(storage->addCard(card("CARD", 30, DateTime{2030, 1, 1, 0, 0, 0})));
    const std::string cut("alice\0x", 7);
    EXPECT_FALSE(storage->findAccount(cut));
    EXPECT_EQ(storage->retrievePassword(cut, "10001", "138"), std::nullopt);
    EXPECT_NE(storage->changePassword(cut, "10001", "138", "new"), ChangeResult::Changed);
    EXPECT_NE(storage->recharge(cut, "pw", "CARD", kNow), RechargeResult::Recharged);
    EXPECT_FALSE(storage->kick(cut));
    EXPECT_EQ(storage->findAccount("alice"), account("alice", "pw", "10001", "138"));
    EXPECT_FALSE(storage->listCards().front().used);
}

// ------------------------------------------------------------ recharge

TEST_P(StorageTest, RechargeResultsInTheOrderTheyAreChecked) {
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

TEST_P(StorageTest, RechargeExtendsFromTheLaterOfNowAndTheExpiry) {
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

TEST_P(StorageTest, TwoConnectionsRacingForOneCardUseItOnce) {
    const auto& first = storage;
    const auto second = database->open();
    ASSERT_TRUE(first && second);
    constexpr int kCards = 20;
    ASSERT_TRUE(first->addAccount(account("alice", "pw")));
    ASSERT_TRUE(first->addAccount(account("bob", "pw")));
    for (int i = 0; i < kCards; ++i) {
        ASSERT_TRUE(first->addCard(card("RACE" + std::to_string(i), 1, DateTime{2030, 1, 1})));
    }
    std::vector<RechargeResult> results[2];
    std::barrier start(2);
    auto racer = [&](Storage& connection, const char* name, std::vector<RechargeResult>& out) {
        for (int i = 0; i < kCards; ++i) {
            start.arrive_and_wait();
            out.push_back(connection.recharge(name, "pw", "RACE" + std::to_string(i), kNow));
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

TEST_P(StorageTest, TwoConnectionsRegisteringAtOnceGetOneSuccess) {
    const auto second = database->open();
    ASSERT_TRUE(second);
    struct Case {
        const char* title;
        bool sameName;  // else: other names, one adapter, one account per computer
        RegisterResult refusal;
    };
    const Case cases[] = {
        {"one name", true, RegisterResult::AccountExists},
        {"one computer", false, RegisterResult::MachineTaken},
    };
    constexpr int kRounds = 15;
    int round = 0;
    for (const Case& c : cases) {
        for (int i = 0; i < kRounds; ++i, ++round) {
            const std::string adapter = "00-00-00-00-00-" + std::to_string(10 + round);
            const std::string first = "r" + std::to_string(round);
            const std::string other = c.sameName ? first : first + "b";
            RegisterResult results[2]{};
            std::barrier start(2);
            std::thread a([&] {
                start.arrive_and_wait();
                results[0] =
                    storage->registerAccount(account(first, "pw", "1", "2", adapter), true);
            });
            std::thread b([&] {
                start.arrive_and_wait();
                results[1] = second->registerAccount(account(other, "pw", "1", "2", adapter), true);
            });
            a.join();
            b.join();
            EXPECT_TRUE((results[0] == RegisterResult::Registered && results[1] == c.refusal) ||
                        (results[1] == RegisterResult::Registered && results[0] == c.refusal))
                << c.title << " round " << i << ": " << static_cast<int>(results[0]) << " "
                << static_cast<int>(results[1]);
        }
    }
    EXPECT_EQ(storage->listAccounts().size(), static_cast<std::size_t>(round));
}

TEST_P(StorageTest, AReaderMissesNoEventOfWritersCommittingAtOnce) {
    // Each running server reads the events after the last one it saw; an
    // event committed after a later-numbered one would be skipped.
    const auto reader = database->open();
    const auto writer = database->open();
    ASSERT_TRUE(reader && writer);
    constexpr int kEach = 40;
    std::atomic<int> running = 2;
    auto publish = [&](Storage& connection, const char* prefix) {
        for (int i = 0; i < kEach; ++i) {
            EXPECT_TRUE(connection.publishAlert(alertDraft(prefix + std::to_string(i), "1")));
        }
        --running;
    };
    std::thread a(publish, std::ref(*storage), "A");
    std::thread b(publish, std::ref(*writer), "B");
    std::vector<std::string> seen;
    std::int64_t last = 0;
    for (bool more = true; more;) {
        more = running > 0;  // one more read after both writers are done
        for (const OperatorEvent& event : reader->eventsAfter(last)) {
            last = event.sequence;
            seen.insert(seen.end(), event.subjects.begin(), event.subjects.end());
        }
    }
    a.join();
    b.join();
    EXPECT_EQ(seen.size(), 2u * kEach);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

LANZHOU_STORAGE_BACKENDS(StorageTest);

}  // namespace
}  // namespace lanzhou::server::storage_test
