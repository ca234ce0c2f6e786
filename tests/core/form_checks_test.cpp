#include "client/core/form_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

// A refusal expected by a table row: the prompt text (UTF-8) and the focus;
// no text means the form passes.
struct Expect {
    std::string text;
    std::string focus;
};

void expectRefusal(const std::optional<FormRefusal>& got, const Expect& want,
                   const std::string& name) {
    if (want.text.empty()) {
        EXPECT_FALSE(got.has_value())
            << name << ": refused with focus " << (got ? std::string(got->focus) : "");
        return;
    }
    ASSERT_TRUE(got.has_value()) << name;
    EXPECT_EQ(got->text, G(want.text)) << name;
    EXPECT_EQ(got->focus, want.focus) << name;
}

const std::string kStar = "\xA1\xEE";    // ☆
const std::string kRepeat = "\xA1\xA9";  // 々
// A character whose trail byte is A1, then one whose lead byte is EE: the
// bytes A1 EE appear across the boundary, but no ☆ is there.
const std::string kAcross = "\xB0\xA1\xEE\xA1";

const Expect kPass{};

TEST(FormChecks, Login) {
    struct Case {
        const char* name;
        LoginFields fields;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"bar in account with empty password",
         {"a|b", ""},
         {"账号不能包含特殊字符，请认真填写！", "登陆_ad1"}},
        {"bar in password", {"", "p|"}, {"密码不能包含特殊字符，请认真填写！", "登陆_ad2"}},
        {"both empty", {"", ""}, {"账号不能为空，请认真填写！", "登陆_ad1"}},
        {"password empty", {"demo", ""}, {"密码不能为空，请认真填写！", "登陆_ad2"}},
        {"spaces pass", {" ", " "}, kPass},
        {"record separators pass", {kStar, kRepeat}, kPass},
        {"valid", {G("会员01"), "pw"}, kPass},
    };
    for (const Case& c : cases) {
        expectRefusal(checkLogin(c.fields), c.expect, c.name);
    }
}

TEST(FormChecks, Registration) {
    struct Case {
        const char* name;
        RegistrationFields fields;
        bool closed;
        Expect expect;
    };
    const RegistrationFields valid{"demo", "pw", "pw", "12345", "0931-1234567"};
    auto with = [&](auto member, std::string value) {
        RegistrationFields f = valid;
        f.*member = std::move(value);
        return f;
    };
    const std::vector<Case> cases = {
        {"bar in account, rest empty",
         {"a|", "", "", "", ""},
         false,
         {"账号不能包含特殊字符，请认真填写！", "注册_ad1"}},
        {"star in password",
         with(&RegistrationFields::password, "p" + kStar),
         false,
         {"密码不能包含特殊字符，请认真填写！", "注册_ad2"}},
        {"repeat sign in repeat",
         with(&RegistrationFields::repeat, kRepeat),
         false,
         {"密码不能包含特殊字符，请认真填写！", "注册_ad3"}},
        {"star in QQ",
         with(&RegistrationFields::qq, "123" + kStar + "45"),
         false,
         {"注册信息不能包含特殊字符，请认真填写！", "注册_ad4"}},
        {"bar in phone",
         with(&RegistrationFields::phone, "1|2"),
         false,
         {"注册信息不能包含特殊字符，请认真填写！", "注册_ad5"}},
        {"forbidden phone before empty account",
         {"", "", "", "", "|"},
         false,
         {"注册信息不能包含特殊字符，请认真填写！", "注册_ad5"}},
        {"all empty", {"", "", "", "", ""}, false, {"账号不能为空，请认真填写！", "注册_ad1"}},
        {"empty password",
         {"demo", "", "", "", ""},
         false,
         {"密码不能为空，请认真填写！", "注册_ad2"}},
        {"empty repeat differs",
         with(&RegistrationFields::repeat, ""),
         false,
         {"密码两次输入不同，请认真填写！", "注册_ad3"}},
        {"repeat differs before empty QQ",
         {"demo", "pw", "pW", "", ""},
         false,
         {"密码两次输入不同，请认真填写！", "注册_ad3"}},
        {"empty QQ",
         with(&RegistrationFields::qq, ""),
         false,
         {"联系QQ不能为空，请认真填写！", "注册_ad4"}},
        {"empty phone",
         with(&RegistrationFields::phone, ""),
         false,
         {"联系电话不能为空，请认真填写！", "注册_ad5"}},
        {"closed after all field checks",
         with(&RegistrationFields::phone, ""),
         true,
         {"联系电话不能为空，请认真填写！", "注册_ad5"}},
        {"closed", valid, true, {"当前系统禁止新用户注册，如有疑问请与管理员联系！", ""}},
        {"A1 then EE across characters passes", with(&RegistrationFields::qq, kAcross), false,
         kPass},
        {"spaces pass", {" ", " ", " ", " ", " "}, false, kPass},
        {"valid", valid, false, kPass},
    };
    for (const Case& c : cases) {
        expectRefusal(checkRegistration(c.fields, c.closed), c.expect, c.name);
    }
}

TEST(FormChecks, Recharge) {
    struct Case {
        const char* name;
        RechargeFields fields;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"empty form", {"", "", ""}, {"账号不能为空，请认真填写！", "充值_ad1"}},
        {"repeat sign in card, account empty",
         {"", "", "12" + kRepeat},
         {"卡号不能包含特殊字符，请认真填写！", "充值_ad3"}},
        {"star in account", {kStar, "pw", "1"}, {"账号不能包含特殊字符，请认真填写！", "充值_ad1"}},
        {"bar in password", {"a", "|", "1"}, {"密码不能包含特殊字符，请认真填写！", "充值_ad2"}},
        {"empty password", {"a", "", "1"}, {"密码不能为空，请认真填写！", "充值_ad2"}},
        {"empty card", {"a", "b", ""}, {"卡号不能为空，请认真填写！", "充值_ad3"}},
        {"card of spaces passes", {"a", "b", "   "}, kPass},
    };
    for (const Case& c : cases) {
        expectRefusal(checkRecharge(c.fields), c.expect, c.name);
    }
}

TEST(FormChecks, ChangePassword) {
    struct Case {
        const char* name;
        ChangePasswordFields fields;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"star in QQ accepted", {"demo", "pw", "pw", "1" + kStar, "2"}, kPass},
        {"bar in account",
         {"|", "", "", "", ""},
         {"账号不能包含特殊字符，请认真填写！", "修改_ad1"}},
        {"bar in confirmation",
         {"a", "b", "|", "", ""},
         {"密码不能包含特殊字符，请认真填写！", "修改_ad3"}},
        {"bar in QQ",
         {"a", "b", "b", "|", ""},
         {"注册信息不能包含特殊字符，请认真填写！", "修改_ad4"}},
        {"bar in phone",
         {"a", "b", "b", "1", "|"},
         {"注册信息不能包含特殊字符，请认真填写！", "修改_ad5"}},
        {"empty account", {"", "b", "b", "1", "2"}, {"账号不能为空，请认真填写！", "修改_ad1"}},
        {"empty password", {"a", "", "", "1", "2"}, {"密码不能为空，请认真填写！", "修改_ad2"}},
        {"empty confirmation",
         {"a", "b", "", "1", "2"},
         {"密码两次输入不同，请认真填写！", "修改_ad3"}},
        {"empty QQ", {"a", "b", "b", "", "2"}, {"联系QQ不能为空，请认真填写！", "修改_ad4"}},
        {"empty phone", {"a", "b", "b", "1", ""}, {"联系电话不能为空，请认真填写！", "修改_ad5"}},
    };
    for (const Case& c : cases) {
        expectRefusal(checkChangePassword(c.fields), c.expect, c.name);
    }
}

TEST(FormChecks, RetrievePassword) {
    struct Case {
        const char* name;
        RetrievePasswordFields fields;
        Expect expect;
    };
    const std::vector<Case> cases = {
        {"bar in phone before empty account",
         {"", "", "|"},
         {"注册信息不能包含特殊字符，请认真填写！", "找回_ad3"}},
        {"bar in account", {"|", "", ""}, {"账号不能包含特殊字符，请认真填写！", "找回_ad1"}},
        {"bar in QQ", {"a", "|", ""}, {"注册信息不能包含特殊字符，请认真填写！", "找回_ad2"}},
        {"empty account", {"", "1", "2"}, {"账号不能为空，请认真填写！", "找回_ad1"}},
        {"empty QQ", {"a", "", "2"}, {"联系QQ不能为空，请认真填写！", "找回_ad2"}},
        {"empty phone", {"a", "1", ""}, {"联系电话不能为空，请认真填写！", "找回_ad3"}},
        {"separators of records pass", {kStar, kRepeat, "2"}, kPass},
    };
    for (const Case& c : cases) {
        expectRefusal(checkRetrievePassword(c.fields), c.expect, c.name);
    }
}

TEST(FormRequests, AreTheCataloguesLayouts) {
    EXPECT_EQ(loginRequest({"demo", "p w"}), "#a3|demo|p w");
    EXPECT_EQ(registrationRequest({"demo", "pw", "ignored", "123", "456"}, "", false),
              "#a1|demo|pw|123|456||0");
    EXPECT_EQ(registrationRequest({"demo", "pw", "pw", "123", "456"}, "00-1A-2B-3C-4D-5E", true),
              "#a1|demo|pw|123|456|00-1A-2B-3C-4D-5E|1");
    EXPECT_EQ(rechargeRequest({"demo", "pw", "   "}), "#a2|demo|pw|   ");
    EXPECT_EQ(changePasswordRequest({"demo", "new", "ignored", "123", "456"}),
              "#a4|demo|new|123|456");
    EXPECT_EQ(retrievePasswordRequest({G("会员01"), "123", "456"}),
              "#a5|" + G("会员01") + "|123|456");
}

}  // namespace
}  // namespace lanzhou::core
