// Logging in from the login window: the core's checks in their order, the
// refusal shown and focused, the request on success, and the Enter keys.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/gui/account/login_window_fixture.h"

namespace lanzhou::test {
namespace {

using LoginWindowLogin = LoginWindowTest;

struct LoginCase {
    const char* title;
    const char* account;
    const char* password;
    const char* prompt;  // nullptr: the request is sent, no prompt
    const char* focus;
};

TEST_F(LoginWindowLogin, ChecksInOrderShowOnePromptAndFocusTheField) {
    const LoginCase cases[] = {
        {"bar in account, empty password", "a|b", "", "账号不能包含特殊字符，请认真填写！",
         "登陆_ad1"},
        {"bar in both", "a|b", "p|q", "账号不能包含特殊字符，请认真填写！", "登陆_ad1"},
        {"empty account and password", "", "", "账号不能为空，请认真填写！", "登陆_ad1"},
        {"bar in password, empty account", "", "p|q", "密码不能包含特殊字符，请认真填写！",
         "登陆_ad2"},
        {"empty password", "张三", "", "密码不能为空，请认真填写！", "登陆_ad2"},
        {"valid, blanks kept", " 张三 ", " 密 码 ", nullptr, nullptr},
    };
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* account = component<QLineEdit>("登陆_ad1");
    auto* password = component<QLineEdit>("登陆_ad2");
    auto* button = component<QPushButton>("按钮3");
    ASSERT_TRUE(account && password && button);

    for (const LoginCase& c : cases) {
        SCOPED_TRACE(c.title);
        prompts.prompts.clear();
        record.sentLogins.clear();
        account->setText(QString::fromUtf8(c.account));
        password->setText(QString::fromUtf8(c.password));
        // Focus elsewhere first, so that moving it is seen.
        button->setFocus();

        QTest::mouseClick(button, Qt::LeftButton);

        if (c.prompt) {
            EXPECT_EQ(prompts.prompts, std::vector<std::string>{gbk(c.prompt)});
            EXPECT_TRUE(record.sentLogins.empty());
            EXPECT_EQ(window->focusWidget(), component(c.focus));
        } else {
            EXPECT_TRUE(prompts.prompts.empty());
            ASSERT_EQ(record.sentLogins.size(), 1u);
            EXPECT_EQ(record.sentLogins[0].account, gbk(c.account));
            EXPECT_EQ(record.sentLogins[0].password, gbk(c.password));
        }
        // The form keeps what was typed.
        EXPECT_EQ(account->text(), QString::fromUtf8(c.account));
        EXPECT_EQ(password->text(), QString::fromUtf8(c.password));
    }
}

TEST_F(LoginWindowLogin, EverySecondClickSendsAgain) {
    window->setCredentials({gbk("张三"), "secret"});
    auto* button = component<QPushButton>("按钮3");
    ASSERT_NE(button, nullptr);
    window->show();
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(record.sentLogins.size(), 2u);
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(LoginWindowLogin, EnterInAccountMovesToPasswordAndNeverLogsIn) {
    window->setCredentials({"member", "secret"});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* account = component<QLineEdit>("登陆_ad1");
    auto* password = component<QLineEdit>("登陆_ad2");
    ASSERT_TRUE(account && password);
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                         std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
        account->setFocus();
        QTest::keyClick(account, key, modifiers);
        EXPECT_EQ(window->focusWidget(), password);
    }
    EXPECT_TRUE(record.sentLogins.empty());
    EXPECT_TRUE(prompts.prompts.empty());
    EXPECT_EQ(account->text(), "member");
}

TEST_F(LoginWindowLogin, EnterInPasswordLogsIn) {
    window->setCredentials({"member", "secret"});
    window->show();
    auto* password = component<QLineEdit>("登陆_ad2");
    ASSERT_NE(password, nullptr);
    QTest::keyClick(password, Qt::Key_Return);
    QTest::keyClick(password, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(record.sentLogins.size(), 2u);
    EXPECT_EQ(record.sentLogins[1].account, "member");
    EXPECT_EQ(record.sentLogins[1].password, "secret");
    // Other keys are the edit's.
    QTest::keyClicks(password, "x");
    EXPECT_EQ(password->text(), "secretx");
    EXPECT_EQ(record.sentLogins.size(), 2u);
}

TEST_F(LoginWindowLogin, PromptThatEndsTheSessionLeavesNoFocusToMove) {
    // A prompt during which the window goes away (the session ended while it
    // was open): the refusal's focus is not applied to a dead window.
    class ClosingPrompts final : public display::PromptPresenter {
    public:
        explicit ClosingPrompts(std::unique_ptr<account::LoginWindow>& window) : m_window(window) {}
        void showPrompt(const std::string&) override { m_window.reset(); }
        void showCountdownPrompt(const std::string&) override {}
        bool confirmClose() override { return true; }

    private:
        std::unique_ptr<account::LoginWindow>& m_window;
    } closing(window);
    window.reset();
    window = std::make_unique<account::LoginWindow>(frame, closing, recordingActions(record));
    window->login();  // both fields empty: refused
    EXPECT_EQ(window, nullptr);
}

TEST_F(LoginWindowLogin, WithoutALoginActionNothingHappens) {
    build({});
    window->login();
    EXPECT_TRUE(prompts.prompts.empty());
}

}  // namespace
}  // namespace lanzhou::test
