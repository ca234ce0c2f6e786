// The recharge window: its components, the checks in their order with their
// prompts and focus, and the "#a2" request; the window stays open after the
// server's answer.

#include "client/account/recharge_window.h"

#include <QTimer>

#include "tests/gui/account/account_window_fixture.h"

namespace lanzhou::test {
namespace {

class RechargeWindowTest : public AccountWindowTest {
protected:
    std::unique_ptr<account::RechargeWindow> makeWindow() {
        account::RechargeWindow::Actions actions;
        actions.submit = [this](const core::RechargeFields& fields) {
            return session->recharge(fields);
        };
        return std::make_unique<account::RechargeWindow>(frame, prompts, std::move(actions));
    }

    static void fillForm(const QWidget* window, std::string_view account, std::string_view password,
                         std::string_view card) {
        fill(window, "充值_ad1", account);
        fill(window, "充值_ad2", password);
        fill(window, "充值_ad3", card);
    }
};

TEST_F(RechargeWindowTest, EveryComponentHasItsNameKindTextAndPlace) {
    const ComponentRow rows[] = {
        {"标签1", "QLabel", "账    号：", {16, 61, 67, 15}},
        {"充值_ad1", "QLineEdit", "", {98, 56, 198, 25}},
        {"标签2", "QLabel", "密    码：", {16, 97, 67, 15}},
        {"充值_ad2", "QLineEdit", "", {98, 92, 198, 25}},
        {"标签3", "QLabel", "充 值 卡：", {16, 133, 67, 15}},
        {"充值_ad3", "QLineEdit", "", {98, 128, 198, 25}},
        {"按钮1", "QPushButton", "充值", {40, 184, 88, 29}},
        {"按钮2", "QPushButton", "取消", {179, 184, 88, 29}},
    };
    const auto window = makeWindow();
    EXPECT_EQ(window->focusWidget(), nullptr);  // nothing focused by the window
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("账号充值"));
    expectDialogFrame(frame, window.get(), {323, 250});
    expectComponents(window.get(), rows);
    auto* password = component<QLineEdit>(window.get(), "充值_ad2");
    password->setText(QStringLiteral("pa55"));
    EXPECT_EQ(password->displayText(), QStringLiteral("pa55"));  // shown as typed
}

TEST_F(RechargeWindowTest, ChecksInOrderPromptAndFocusTheirField) {
    struct Case {
        const char* what;
        const char* account;
        const char* password;
        const char* card;
        std::string_view text;
        const char* focus;
    };
    const Case cases[] = {
        {"account with a bar", "a|", "", "", core::text::kAccountForbidden, "充值_ad1"},
        {"password with a star", "a", "☆", "c", core::text::kPasswordForbidden, "充值_ad2"},
        {"card with a repeat mark, account empty", "", "", "12々34", core::text::kCardForbidden,
         "充值_ad3"},
        {"empty form", "", "", "", core::text::kAccountEmpty, "充值_ad1"},
        {"no password", "会员", "", "c", core::text::kPasswordEmpty, "充值_ad2"},
        {"no card", "会员", "p", "", core::text::kCardEmpty, "充值_ad3"},
    };
    const auto window = makeWindow();
    window->show();
    QWidget* elsewhere = component(window.get(), "按钮2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillForm(window.get(), c.account, c.password, c.card);
        expectRefusal(*window, "按钮1", elsewhere, c.text, c.focus);
        EXPECT_EQ(component<QLineEdit>(window.get(), "充值_ad3")->text(),
                  QString::fromUtf8(c.card));
    }

    // A card of spaces passes every check and goes out unchanged, first.
    fillForm(window.get(), "会员", "密码", "   ");
    press(window.get(), "按钮1");
    EXPECT_EQ(waitForFormRequests(1),
              std::vector<std::string>{"#a2|" + G("会员") + "|" + G("密码") + "|   "});
}

// The answer only prompts (through the session); the window keeps its input
// and a second press sends the same request again.
TEST_F(RechargeWindowTest, StaysOpenAfterTheAnswerAndSendsAgain) {
    const auto window = makeWindow();
    window->show();
    fillForm(window.get(), "demo", "demo", "CARD-0001");
    press(window.get(), "按钮1");
    const std::string request = "#a2|demo|demo|CARD-0001";
    EXPECT_EQ(waitForFormRequests(1), std::vector<std::string>{request});

    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            scheduler.runAll();
            for (const ViewCall& call : view.calls()) {
                if (call.name == "showPrompt" && call.text == gbk(core::text::kRechargeSucceeded)) {
                    return true;
                }
            }
            return false;
        },
        kWaitMs));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(component<QLineEdit>(window.get(), "充值_ad3")->text(), QStringLiteral("CARD-0001"));

    press(window.get(), "按钮1");
    EXPECT_EQ(waitForFormRequests(2), (std::vector<std::string>{request, request}));
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(RechargeWindowTest, CancelClosesWithoutSending) {
    const auto window = makeWindow();
    fillForm(window.get(), "a", "b", "c");
    const auto other = makeWindow();
    expectDismissedWithoutSending(
        *window, [&] { press(window.get(), "按钮2"); },
        [&] {
            fillForm(other.get(), "x", "y", "z");
            press(other.get(), "按钮1");
        },
        "#a2|x|y|z");
}

TEST_F(RechargeWindowTest, ClosedOrDestroyedFromInsideAPrompt) {
    expectClosingFromInsideAPromptIsSafe<account::RechargeWindow>([this] { return makeWindow(); },
                                                                  "按钮1");
}

}  // namespace
}  // namespace lanzhou::test
