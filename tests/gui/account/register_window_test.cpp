// The registration window: its components, the terms beside the form, the
// checks in their order with their prompts and focus, and the "#a1" request
// that reaches the server.

#include "client/account/register_window.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "client/core/terms_text.h"
#include "tests/gui/account/account_window_fixture.h"

namespace lanzhou::test {
namespace {

class RegisterWindowTest : public AccountWindowTest {
protected:
    std::unique_ptr<account::RegisterWindow> makeWindow(const std::string& titleGbk = {}) {
        account::RegisterWindow::Actions actions;
        actions.submit = [this](const core::RegistrationFields& fields) {
            return session->registerAccount(fields);
        };
        return std::make_unique<account::RegisterWindow>(frame, prompts, titleGbk,
                                                         std::move(actions));
    }

    // Fills the five fields (UTF-8).
    static void fillForm(const QWidget* window, std::string_view account, std::string_view password,
                         std::string_view repeat, std::string_view qq, std::string_view phone) {
        fill(window, "注册_ad1", account);
        fill(window, "注册_ad2", password);
        fill(window, "注册_ad3", repeat);
        fill(window, "注册_ad4", qq);
        fill(window, "注册_ad5", phone);
    }
};

TEST_F(RegisterWindowTest, EveryComponentHasItsNameKindTextAndPlace) {
    const ComponentRow rows[] = {
        {"标签1", "QLabel", "账    号：", {11, 37, 67, 15}},
        {"注册_ad1", "QLineEdit", "", {93, 32, 128, 25}},
        {"标签2", "QLabel", "密    码：", {11, 73, 67, 15}},
        {"注册_ad2", "QLineEdit", "", {93, 68, 128, 25}},
        {"标签3", "QLabel", "重复密码：", {11, 109, 67, 15}},
        {"注册_ad3", "QLineEdit", "", {93, 104, 128, 25}},
        {"标签4", "QLabel", "联系 Q Q：", {11, 146, 67, 15}},
        {"注册_ad4", "QLineEdit", "", {93, 141, 128, 25}},
        {"标签5", "QLabel", "联系电话：", {11, 185, 67, 15}},
        {"注册_ad5", "QLineEdit", "", {93, 180, 128, 25}},
        {"标签6", "QLabel", "*请填写真实资料，否则不予通过", {23, 216, 200, 24}},
        {"注册_ad6", "QTextEdit", nullptr, {230, 32, 204, 248}},
        {"按钮1", "QPushButton", "注册", {10, 250, 88, 29}},
        {"按钮2", "QPushButton", "取消", {133, 250, 88, 29}},
    };
    frame.RestyleChildren();  // as the client does before any window opens
    const auto window = makeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("账号注册"));
    expectDialogFrame(frame, window.get(), {447, 290});
    expectComponents(window.get(), rows);
    // Both password fields show what is typed.
    for (const char* name : {"注册_ad2", "注册_ad3"}) {
        auto* edit = component<QLineEdit>(window.get(), name);
        edit->setText(QStringLiteral("pa55"));
        EXPECT_EQ(edit->displayText(), QStringLiteral("pa55")) << name;
    }
    EXPECT_EQ(component(window.get(), "标签6")->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    auto* terms = component<QTextEdit>(window.get(), "注册_ad6");
    EXPECT_TRUE(terms->isReadOnly());
    EXPECT_EQ(terms->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(terms->verticalScrollBar()->isVisible());
    EXPECT_GT(terms->verticalScrollBar()->maximum(), 0);  // far more text than room
    EXPECT_EQ(window->focusWidget(), component(window.get(), "注册_ad1"));
}

TEST_F(RegisterWindowTest, TermsCarryTheProductTitle) {
    struct Case {
        const char* title;
        const char* firstHeading;
    };
    const Case cases[] = {
        {"ABC", "一、ABC使用规则"},
        {"澜舟演示", "一、澜舟演示使用规则"},
        {"", "一、使用规则"},  // no configuration yet: the name is left out
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const auto window = makeWindow(G(c.title));
        const QString shown = component<QTextEdit>(window.get(), "注册_ad6")->toPlainText();
        QString expected = display::fromGbk(core::termsOfService(G(c.title)));
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(shown, expected);  // no line doubled by the "\r\n" line ends
        EXPECT_TRUE(shown.startsWith(QStringLiteral("服务条款\n")));
        const QStringList lines = shown.split(QLatin1Char('\n'));
        EXPECT_TRUE(lines.contains(QString::fromUtf8(c.firstHeading)));
        EXPECT_TRUE(lines.contains(QStringLiteral("五、暂停与终止服务")));
        EXPECT_EQ(shown.count(QStringLiteral("澜舟智投")), 0);
    }
}

// Each refusal through the core's checks: its prompt, then the focus in its
// field (none for a closed registration); nothing goes out until the form
// passes.
TEST_F(RegisterWindowTest, ChecksInOrderPromptAndFocusTheirField) {
    FakeServiceScript script = demoScript();
    script.config.registrationClosed = true;
    start(script);
    handshake();

    struct Case {
        const char* what;
        const char* account;
        const char* password;
        const char* repeat;
        const char* qq;
        const char* phone;
        std::string_view text;
        const char* focus;  // nullptr: stays where it was
    };
    const Case cases[] = {
        {"account with a bar, all else empty", "a|b", "", "", "", "", core::text::kAccountForbidden,
         "注册_ad1"},
        {"password with a bar", "", "p|", "", "", "", core::text::kPasswordForbidden, "注册_ad2"},
        {"repeat with a star", "", "", "☆", "", "", core::text::kPasswordForbidden, "注册_ad3"},
        {"qq with a star", "", "", "", "123☆456", "", core::text::kContactForbidden, "注册_ad4"},
        {"phone with a repeat mark", "", "", "", "", "0931々", core::text::kContactForbidden,
         "注册_ad5"},
        {"empty form", "", "", "", "", "", core::text::kAccountEmpty, "注册_ad1"},
        {"no password", "会员", "", "", "1", "2", core::text::kPasswordEmpty, "注册_ad2"},
        {"no repeat", "会员", "p", "", "1", "2", core::text::kPasswordsDiffer, "注册_ad3"},
        {"repeat differs", "会员", "p", "P", "1", "2", core::text::kPasswordsDiffer, "注册_ad3"},
        {"no qq", "会员", "p", "p", "", "2", core::text::kQqEmpty, "注册_ad4"},
        {"no phone", "会员", "p", "p", "1", "", core::text::kPhoneEmpty, "注册_ad5"},
        {"registration closed", "会员", "p", "p", "1", "2", core::text::kRegistrationClosed,
         nullptr},
    };
    const auto window = makeWindow();
    window->show();
    QWidget* elsewhere = component(window.get(), "注册_ad6");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillForm(window.get(), c.account, c.password, c.repeat, c.qq, c.phone);
        expectRefusal(*window, "按钮1", elsewhere, c.text, c.focus);
        // The input stays.
        EXPECT_EQ(component<QLineEdit>(window.get(), "注册_ad1")->text(),
                  QString::fromUtf8(c.account));
    }
    EXPECT_TRUE(window->isVisible());

    // Open again: the same form goes out, and it is the first request sent.
    session->session().settings.registrationClosed = false;
    press(window.get(), "按钮1");
    EXPECT_EQ(waitForFormRequests(1),
              std::vector<std::string>{"#a1|" + G("会员") + "|p|1|2|00-1A-2B-3C-4D-5E|0"});
}

TEST_F(RegisterWindowTest, RequestCarriesTheFormInGbkTheAdapterAndTheFlag) {
    FakeServiceScript script = demoScript();
    script.config.registrationFlag = true;
    start(script);
    handshake();
    const auto window = makeWindow();

    // A double-byte character ending in A1 before one starting with EE holds
    // no star; spaces are kept as they are.
    fillForm(window.get(), "新会员", "密码 1", "密码 1", "啊睢", "  ");
    press(window.get(), "按钮1");
    const std::string first =
        "#a1|" + G("新会员") + "|" + G("密码 1") + "|" + G("啊睢") + "|  |00-1A-2B-3C-4D-5E|1";
    EXPECT_EQ(waitForFormRequests(1), std::vector<std::string>{first});

    // No adapter: an empty address field. A second press sends once more.
    adapterAddress.clear();
    session->session().settings.registrationFlag = false;  // as a fresh session has it
    fillForm(window.get(), "a", "b", "b", "c", "d");
    press(window.get(), "按钮1");
    press(window.get(), "按钮1");
    EXPECT_EQ(waitForFormRequests(3),
              (std::vector<std::string>{first, "#a1|a|b|c|d||0", "#a1|a|b|c|d||0"}));
    EXPECT_TRUE(prompts.prompts.empty());

    // What the success path copies into the login form.
    const core::Credentials credentials = window->credentials();
    EXPECT_EQ(credentials.account, "a");
    EXPECT_EQ(credentials.password, "b");
}

TEST_F(RegisterWindowTest, CancelClosesWithoutSending) {
    const auto window = makeWindow();
    fillForm(window.get(), "a", "b", "b", "c", "d");
    // Only the request of a second window reaches the server.
    const auto other = makeWindow();
    expectDismissedWithoutSending(
        *window, [&] { press(window.get(), "按钮2"); },
        [&] {
            fillForm(other.get(), "x", "y", "y", "z", "w");
            press(other.get(), "按钮1");
        },
        "#a1|x|y|z|w|00-1A-2B-3C-4D-5E|0");
}

TEST_F(RegisterWindowTest, ClosedOrDestroyedFromInsideAPrompt) {
    expectClosingFromInsideAPromptIsSafe<account::RegisterWindow>([this] { return makeWindow(); },
                                                                  "按钮1");
}

}  // namespace
}  // namespace lanzhou::test
