#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/stored_text_cipher.h"
#include "client/core/texts.h"
#include "protocol/message_catalogue.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using core::gbk;
namespace text = core::text;

const protocol::DateTime kServerNow{2024, 3, 10, 12, 0, 0};

class DispatcherAccount : public SessionFixture {
protected:
    DispatcherAccount() {
        setServerTime(kServerNow);
        view.setLoginForm({G("会员01"), "secret", false});
    }

    std::string loginAnswer(int expiryOffsetSeconds, std::int32_t userType,
                            const std::string& boundAdapter) const {
        return protocol::answer::loginAccepted(
            {protocol::formatDateTime(kServerNow.plusSeconds(expiryOffsetSeconds)), userType,
             boundAdapter});
    }
};

TEST_F(DispatcherAccount, LoginJudgement) {
    constexpr int kDay = 86400;
    struct Case {
        const char* name;
        bool machineBinding;
        std::string boundAdapter;
        bool refuseUnpaid;
        std::int32_t userType;
        int expiryOffset;
        std::vector<std::string> calls;
        std::string_view prompt;  // UTF-8; empty: none
        std::vector<std::string> sent;
        std::int32_t finalUserType;
    };
    const std::string here = "00-1A-2B-3C-4D-5E";
    const std::string elsewhere = "00-00-00-00-00-01";
    const std::vector<Case> cases = {
        {"paying, current", false, "0", false, 1, kDay, {"enterMain"}, {}, {}, 1},
        {"paying, expiry 1 s ago still current", false, "0", true, 1, -1, {"enterMain"}, {}, {}, 1},
        {"paying, expiry now", false, "0", true, 1, 0, {"enterMain"}, {}, {}, 1},
        {"paying, 2 s expired, let in as free",
         false,
         "0",
         false,
         1,
         -2,
         {"showPrompt", "enterMain"},
         text::kExpiredLetIn,
         {},
         0},
        {"paying, 2 s expired, refused",
         false,
         "0",
         true,
         1,
         -2,
         {"showPrompt"},
         text::kExpiredRefused,
         {"#az"},
         1},
        {"free, enters", false, "0", false, 0, kDay, {"enterMain"}, {}, {}, 0},
        {"free, refused",
         false,
         "0",
         true,
         0,
         kDay,
         {"showPrompt"},
         text::kUnpaidRefused,
         {"#az"},
         0},
        {"unknown type, current", false, "0", false, 2, kDay, {"enterMain"}, {}, {}, 2},
        {"unknown type, expired", false, "0", false, 2, -kDay, {}, {}, {}, 2},
        {"unknown type, expired, refused", false, "0", true, 2, -kDay, {}, {}, {"#az"}, 2},
        {"bound to no computer", true, "0", false, 1, kDay, {"enterMain"}, {}, {}, 1},
        {"bound to this computer", true, here, false, 1, kDay, {"enterMain"}, {}, {}, 1},
        {"bound elsewhere",
         true,
         elsewhere,
         false,
         1,
         kDay,
         {"showPrompt"},
         text::kWrongMachine,
         {},
         0},
        {"bound elsewhere, binding off",
         false,
         elsewhere,
         false,
         1,
         kDay,
         {"enterMain"},
         {},
         {},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.settings.machineBinding = c.machineBinding;
        session.settings.refuseUnpaid = c.refuseUnpaid;
        session.userType = core::kFreeUser;
        session.accountName.clear();
        view.clearCalls();
        sender.take();

        deliver(loginAnswer(c.expiryOffset, c.userType, c.boundAdapter));

        EXPECT_EQ(viewCallNames(), c.calls);
        if (!c.prompt.empty()) {
            EXPECT_EQ(prompts(), std::vector<std::string>{gbk(c.prompt)});
        }
        EXPECT_EQ(sender.sent(), c.sent);
        EXPECT_EQ(session.userType, core::UserType{c.finalUserType});
        // The wrong machine stops before the account is taken over.
        EXPECT_EQ(session.accountName.empty(), c.prompt == text::kWrongMachine);
        EXPECT_EQ(config.read("zx"), "0");  // the remember box is not ticked
    }
}

TEST_F(DispatcherAccount, AcceptedLoginKeepsAccountAndExpiry) {
    const std::string answer = loginAnswer(86400, 1, "0");
    deliver(answer);
    EXPECT_EQ(session.accountName, G("会员01"));
    EXPECT_EQ(session.expiryTime, "2024-03-11 12:00:00");
    EXPECT_EQ(session.userType, core::kPayingUser);
}

TEST_F(DispatcherAccount, LoginIsJudgedWithTheRunningServerTime) {
    const std::string answer = loginAnswer(5, 1, "0");
    advanceSeconds(6);  // the expiry is now 1 s in the past: still current
    deliver(answer);
    EXPECT_EQ(viewCallNames(), std::vector<std::string>{"enterMain"});

    view.clearCalls();
    advanceSeconds(1);
    deliver(answer);
    EXPECT_EQ(viewCallNames(), (std::vector<std::string>{"showPrompt", "enterMain"}));
}

TEST_F(DispatcherAccount, RememberBoxStoresTheCredentialsOfAnyLetInLogin) {
    struct Case {
        const char* name;
        std::int32_t userType;
        int expiryOffset;
        bool refuseUnpaid;
        bool stored;
    };
    for (const Case& c :
         {Case{"current", 1, 86400, false, true}, Case{"expired, let in", 1, -2, false, true},
          Case{"free, let in", 0, 0, false, true}, Case{"refused", 0, 0, true, false}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(config.write("zx", "0"));
        ASSERT_TRUE(config.write("username", ""));
        session.settings.refuseUnpaid = c.refuseUnpaid;
        view.setLoginForm({G("会员01"), "p w", true});

        deliver(loginAnswer(c.expiryOffset, c.userType, "0"));

        EXPECT_EQ(config.read("zx"), c.stored ? "1" : "0");
        EXPECT_EQ(core::decodeStored(config.read("username")), c.stored ? G("会员01") : "");
        if (c.stored) {
            EXPECT_EQ(config.read("userpass"), core::encodeStored("p w"));
        }
    }
}

TEST_F(DispatcherAccount, MalformedLoginAnswerIsIgnored) {
    deliver("#ad|2030-01-01 00:00:00|1");
    deliver("#ad|2030-01-01 00:00:00|1|0|extra");
    EXPECT_TRUE(view.calls().empty());
    EXPECT_TRUE(sender.sent().empty());
    EXPECT_TRUE(session.accountName.empty());
}

TEST_F(DispatcherAccount, AnswersShowTheirFixedText) {
    struct Case {
        std::string code;
        std::string_view text;
    };
    const std::vector<Case> cases = {
        {"#a0", text::kLoginFailed},          {"#a1", text::kDuplicateMachine},
        {"#a2", text::kAccountExists},        {"#a3", text::kRegisterFailed},
        {"#a4", text::kRegisterSucceeded},    {"#a5", text::kRechargeBadAccount},
        {"#a6", text::kRechargeBadPassword},  {"#a7", text::kRechargeBadCard},
        {"#a8", text::kRechargeCardExpired},  {"#a9", text::kRechargeFailed},
        {"#aa", text::kRechargeSucceeded},    {"#ab", text::kUserDataWrong},
        {"#ac", text::kPasswordChangeFailed}, {"#ae", text::kPasswordChanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        view.clearCalls();
        deliver(c.code);
        EXPECT_EQ(prompts(), std::vector<std::string>{gbk(c.text)});
        EXPECT_EQ(session.promptText, gbk(c.text));
    }
    EXPECT_TRUE(sender.sent().empty());
}

TEST_F(DispatcherAccount, TwoAnswersBeforeThePromptRunsShowOnlyTheSecond) {
    dispatchOnly("#a5");
    dispatchOnly("#a6");
    scheduler.runAll();
    EXPECT_EQ(prompts(), std::vector<std::string>{gbk(text::kRechargeBadPassword)});
}

TEST_F(DispatcherAccount, SuccessfulRegistrationAdoptsTheNewAccount) {
    view.openRegisterWindow({"newbie", "pw1"});
    deliver("#a4");

    const auto calls = view.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], (ViewCall{"showPrompt", gbk(text::kRegisterSucceeded)}));
    EXPECT_EQ(calls[1].name, "takeRegisterWindowCredentials");
    EXPECT_EQ(calls[2], (ViewCall{"setLoginCredentials", "newbie"}));
    EXPECT_EQ(core::decodeStored(config.read("username")), "newbie");
    EXPECT_EQ(core::decodeStored(config.read("userpass")), "pw1");
    EXPECT_EQ(config.read("zx"), "0");  // the remember switch is left alone
}

TEST_F(DispatcherAccount, ChangedPasswordAdoptsTheAccountServiceCredentials) {
    view.openAccountServiceWindow({"member", "newpass"});
    deliver("#ae");
    ASSERT_TRUE(view.loginCredentials().has_value());
    EXPECT_EQ(view.loginCredentials()->password, "newpass");
    EXPECT_EQ(core::decodeStored(config.read("userpass")), "newpass");
}

TEST_F(DispatcherAccount, AdoptionWithNoAccountWindowOpenOnlyPrompts) {
    deliver("#a4");
    EXPECT_EQ(view.count("setLoginCredentials"), 0u);
    EXPECT_EQ(config.read("username"), "");
}

TEST_F(DispatcherAccount, RetrievedPasswordGoesIntoTheWindowThenThePrompt) {
    struct Case {
        std::string message;
        std::string password;
    };
    for (const Case& c : {Case{"#afs3cr|et", "s3cr|et"}, Case{"#af", ""}}) {
        SCOPED_TRACE(c.message);
        view.clearCalls();
        deliver(c.message);
        EXPECT_EQ(view.calls(), (std::vector<ViewCall>{
                                    {"setRetrievedPassword", c.password},
                                    {"showPrompt", gbk(text::kPasswordRetrieved) + c.password}}));
    }
}

TEST_F(DispatcherAccount, ForcedOfflineLogsOutThenCountsDown) {
    struct Case {
        std::string code;
        std::string_view text;
    };
    for (const Case& c :
         {Case{"#ag", text::kLoggedInElsewhere}, Case{"#ah", text::kKickedByAdministrator}}) {
        SCOPED_TRACE(c.code);
        view.clearCalls();
        dispatchOnly(c.code);
        EXPECT_EQ(sender.take(), std::vector<std::string>{"#az"});
        EXPECT_TRUE(view.calls().empty());  // the window side waits for the action
        scheduler.runAll();
        EXPECT_EQ(view.calls(), (std::vector<ViewCall>{{"showCountdownPrompt", gbk(c.text)},
                                                       {"closeMainOrLogin", ""}}));
    }
}

}  // namespace
}  // namespace lanzhou::test
