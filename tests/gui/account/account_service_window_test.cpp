// The account service window: the tab control with its two pages, the
// checks of each page in their order with their prompts and focus, the "#a4"
// and "#a5" requests, and the retrieved password.

#include "client/account/account_service_window.h"

#include <QTabWidget>
#include <QTimer>

#include "tests/gui/account/account_window_fixture.h"

namespace lanzhou::test {
namespace {

class AccountServiceWindowTest : public AccountWindowTest {
protected:
    std::unique_ptr<account::AccountServiceWindow> makeWindow() {
        account::AccountServiceWindow::Actions actions;
        actions.change = [this](const core::ChangePasswordFields& fields) {
            return session->changePassword(fields);
        };
        actions.retrieve = [this](const core::RetrievePasswordFields& fields) {
            return session->retrievePassword(fields);
        };
        return std::make_unique<account::AccountServiceWindow>(frame, prompts, std::move(actions));
    }

    static void fillChange(const QWidget* window, std::string_view account,
                           std::string_view password, std::string_view confirm, std::string_view qq,
                           std::string_view phone) {
        fill(window, "修改_ad1", account);
        fill(window, "修改_ad2", password);
        fill(window, "修改_ad3", confirm);
        fill(window, "修改_ad4", qq);
        fill(window, "修改_ad5", phone);
    }
    static void fillRetrieve(const QWidget* window, std::string_view account, std::string_view qq,
                             std::string_view phone) {
        fill(window, "找回_ad1", account);
        fill(window, "找回_ad2", qq);
        fill(window, "找回_ad3", phone);
    }

    // A refusal of the page's `button`, the focus on the result field
    // before.
    void expectPageRefusal(account::AccountServiceWindow& window, const char* button,
                           std::string_view text, const char* focus) {
        expectRefusal(window, button, component(&window, "结果_ad1"), text, focus);
    }
};

TEST_F(AccountServiceWindowTest, TabControlPagesAndEveryComponentInItsPlace) {
    struct PageRow {
        int page;
        ComponentRow row;
    };
    const PageRow rows[] = {
        {0, {"标签1", "QLabel", "用 户 名：", {25, 37, 67, 15}}},
        {0, {"修改_ad1", "QLineEdit", "", {107, 32, 128, 25}}},
        {0, {"标签2", "QLabel", "新 密 码：", {25, 73, 67, 15}}},
        {0, {"修改_ad2", "QLineEdit", "", {107, 68, 128, 25}}},
        {0, {"标签3", "QLabel", "确认密码：", {25, 109, 67, 15}}},
        {0, {"修改_ad3", "QLineEdit", "", {107, 104, 128, 25}}},
        {0, {"标签4", "QLabel", "联系 Q Q：", {25, 146, 67, 15}}},
        {0, {"修改_ad4", "QLineEdit", "", {107, 141, 128, 25}}},
        {0, {"标签5", "QLabel", "联系电话：", {25, 185, 67, 15}}},
        {0, {"修改_ad5", "QLineEdit", "", {107, 180, 128, 25}}},
        {0, {"按钮1", "QPushButton", "修改密码", {95, 226, 88, 29}}},
        {1, {"标签6", "QLabel", "用 户 名：", {25, 37, 67, 15}}},
        {1, {"找回_ad1", "QLineEdit", "", {107, 32, 128, 25}}},
        {1, {"标签7", "QLabel", "联系 Q Q：", {25, 73, 67, 15}}},
        {1, {"找回_ad2", "QLineEdit", "", {107, 68, 128, 25}}},
        {1, {"标签8", "QLabel", "联系电话：", {25, 109, 67, 15}}},
        {1, {"找回_ad3", "QLineEdit", "", {107, 104, 128, 25}}},
        {1, {"标签9", "QLabel", "当前密码：", {25, 185, 67, 15}}},
        {1, {"结果_ad1", "QLineEdit", "", {107, 180, 128, 25}}},
        {1, {"按钮2", "QPushButton", "找回密码", {95, 226, 88, 29}}},
    };
    frame.RestyleChildren();  // as the client does before any window opens
    const auto window = makeWindow();
    EXPECT_EQ(window->focusWidget(), nullptr);  // nothing focused by the window
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("账号服务"));
    expectDialogFrame(frame, window.get(), {283, 289});

    auto* tabs = component<QTabWidget>(window.get(), "高级选择夹1");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->parentWidget(), window.get());
    EXPECT_EQ(tabs->geometry(), QRect(2, 26, 278, 261));
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("修改密码"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("密码找回"));
    EXPECT_EQ(tabs->currentIndex(), 0);

    for (const PageRow& each : rows) {
        const ComponentRow& row = each.row;
        SCOPED_TRACE(row.name);
        tabs->setCurrentIndex(each.page);
        QWidget* widget = component(window.get(), row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(row.kind)) << widget->metaObject()->className();
        EXPECT_EQ(widget->parentWidget(), tabs->widget(each.page));
        // Placed from the tab control's corner, and whole on its page.
        EXPECT_EQ(QRect(widget->mapTo(tabs, QPoint(0, 0)), widget->size()), row.geometry);
        EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()));
        EXPECT_TRUE(widget->isVisible());
        if (row.text) {
            EXPECT_EQ(componentText(widget), QString::fromUtf8(row.text));
        }
    }

    for (const char* name : {"修改_ad2", "修改_ad3"}) {
        auto* edit = component<QLineEdit>(window.get(), name);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password) << name;
        edit->setText(QStringLiteral("密码ab"));
        EXPECT_EQ(edit->displayText(), QStringLiteral("****")) << name;
    }
    auto* result = component<QLineEdit>(window.get(), "结果_ad1");
    EXPECT_TRUE(result->isReadOnly());
    EXPECT_EQ(result->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(component<QLineEdit>(window.get(), "修改_ad1")->echoMode(), QLineEdit::Normal);
}

TEST_F(AccountServiceWindowTest, ChangePageChecksInOrderThenSends) {
    struct Case {
        const char* what;
        const char* account;
        const char* password;
        const char* confirm;
        const char* qq;
        const char* phone;
        std::string_view text;
        const char* focus;
    };
    const Case cases[] = {
        {"account with a bar", "a|", "", "", "", "", core::text::kAccountForbidden, "修改_ad1"},
        {"password with a bar", "", "|", "", "", "", core::text::kPasswordForbidden, "修改_ad2"},
        {"confirmation with a bar", "", "", "|", "", "", core::text::kPasswordForbidden,
         "修改_ad3"},
        {"qq with a bar", "", "", "", "1|2", "", core::text::kContactForbidden, "修改_ad4"},
        {"phone with a bar", "", "", "", "", "|", core::text::kContactForbidden, "修改_ad5"},
        {"empty form", "", "", "", "", "", core::text::kAccountEmpty, "修改_ad1"},
        {"no new password", "会员", "", "", "1", "2", core::text::kPasswordEmpty, "修改_ad2"},
        {"no confirmation", "会员", "p", "", "1", "2", core::text::kPasswordsDiffer, "修改_ad3"},
        {"no qq", "会员", "p", "p", "", "2", core::text::kQqEmpty, "修改_ad4"},
        {"no phone", "会员", "p", "p", "1", "", core::text::kPhoneEmpty, "修改_ad5"},
    };
    const auto window = makeWindow();
    window->show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillChange(window.get(), c.account, c.password, c.confirm, c.qq, c.phone);
        expectPageRefusal(*window, "按钮1", c.text, c.focus);
    }

    // Stars and repeat marks are accepted here; the confirmation is not sent.
    fillChange(window.get(), "会员", "新密码", "新密码", "12☆34", "々");
    press(window.get(), "按钮1");
    press(window.get(), "按钮1");
    const std::string request =
        "#a4|" + G("会员") + "|" + G("新密码") + "|" + G("12☆34") + "|" + G("々");
    EXPECT_EQ(waitForFormRequests(2), (std::vector<std::string>{request, request}));
    EXPECT_TRUE(window->isVisible());

    // What the success path copies into the login form.
    const core::Credentials credentials = window->changeCredentials();
    EXPECT_EQ(credentials.account, G("会员"));
    EXPECT_EQ(credentials.password, G("新密码"));
}

TEST_F(AccountServiceWindowTest, RetrievePageChecksInOrderThenSends) {
    struct Case {
        const char* what;
        const char* account;
        const char* qq;
        const char* phone;
        std::string_view text;
        const char* focus;
    };
    const Case cases[] = {
        {"account with a bar", "|", "", "", core::text::kAccountForbidden, "找回_ad1"},
        {"qq with a bar", "", "|", "", core::text::kContactForbidden, "找回_ad2"},
        {"phone with a bar", "", "", "0|", core::text::kContactForbidden, "找回_ad3"},
        {"empty form", "", "", "", core::text::kAccountEmpty, "找回_ad1"},
        {"no qq", "会员", "", "2", core::text::kQqEmpty, "找回_ad2"},
        {"no phone", "会员", "1", "", core::text::kPhoneEmpty, "找回_ad3"},
    };
    const auto window = makeWindow();
    window->show();
    component<QTabWidget>(window.get(), "高级选择夹1")->setCurrentIndex(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillRetrieve(window.get(), c.account, c.qq, c.phone);
        expectPageRefusal(*window, "按钮2", c.text, c.focus);
    }

    fillRetrieve(window.get(), "demo", "☆", "0931 1234");
    press(window.get(), "按钮2");
    EXPECT_EQ(waitForFormRequests(1),
              std::vector<std::string>{"#a5|demo|" + G("☆") + "|0931 1234"});
    EXPECT_TRUE(window->isVisible());
}

TEST_F(AccountServiceWindowTest, RetrievedPasswordReplacesTheResult) {
    const auto window = makeWindow();
    auto* result = component<QLineEdit>(window.get(), "结果_ad1");
    for (const char* password : {"demo", "新密码 2", ""}) {
        SCOPED_TRACE(password);
        window->setRetrievedPassword(G(password));
        EXPECT_EQ(result->text(), QString::fromUtf8(password));
    }
}

// No cancel button: the frame's close button ends the window, sending nothing.
TEST_F(AccountServiceWindowTest, FramesCloseButtonClosesWithoutSending) {
    const auto window = makeWindow();
    fillChange(window.get(), "a", "b", "b", "c", "d");
    expectDismissedWithoutSending(
        *window,
        [&] {
            const std::optional<QRect> close =
                frame.captionButtonRect(window.get(), skin::CaptionButton::Close);
            ASSERT_TRUE(close);
            QTest::mouseClick(window.get(), Qt::LeftButton, {}, close->center());
        },
        [&] {
            fillRetrieve(window.get(), "x", "y", "z");
            window->submitRetrieve();
        },
        "#a5|x|y|z");
}

TEST_F(AccountServiceWindowTest, ClosedOrDestroyedFromInsideAPrompt) {
    expectClosingFromInsideAPromptIsSafe<account::AccountServiceWindow>(
        [this] { return makeWindow(); }, "按钮2");
}

}  // namespace
}  // namespace lanzhou::test
