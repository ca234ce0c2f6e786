// The account windows in the running client: the service's answers reach
// them (the new credentials adopted into the login form and k_config.ini,
// the retrieved password), and the support links go to the desktop.

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include "client/account/account_service_window.h"
#include "client/account/register_window.h"
#include "client/core/stored_text_cipher.h"
#include "client/core/texts.h"
#include "tests/gui/app/client_fixture.h"
#include "tests/gui/support/fake_desktop_opener.h"
#include "tests/support/gbk_literal.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {
namespace {

using display::fromGbk;

class AccountWindowsFlow : public RunningClient {
protected:
    // Fills the form of `window`: component name -> text.
    static void fill(QWidget* window, const std::vector<std::pair<const char*, QString>>& fields) {
        for (const auto& [name, text] : fields) {
            child<QLineEdit>(window, QString::fromUtf8(name))->setText(text);
        }
    }

    // The adopted credentials: in the login form and, enciphered, in the file.
    void expectAdopted(const char* account, const char* password) {
        const core::LoginFormState form = login().form();
        EXPECT_EQ(form.account, account);
        EXPECT_EQ(form.password, password);
        EXPECT_FALSE(form.remember) << "adopting does not tick the box";
        EXPECT_EQ(core::decodeStored(config().read("username")), account);
        EXPECT_EQ(core::decodeStored(config().read("userpass")), password);
    }
};

TEST_F(AccountWindowsFlow, ARegistrationAcceptedFillsTheLoginFormAndTheFileAndClosesTheWindow) {
    start();
    QPointer<QWidget> opened;
    whenModalOpens([&](QWidget* window) {
        opened = window;
        ASSERT_NE(qobject_cast<account::RegisterWindow*>(window), nullptr);
        fill(window, {{"注册_ad1", "newbie"},
                      {"注册_ad2", "pw1"},
                      {"注册_ad3", "pw1"},
                      {"注册_ad4", "123"},
                      {"注册_ad5", "456"}});
        child<QPushButton>(window, "按钮1")->click();
    });
    clickLabel("注册_标签");  // returns when the window has closed

    EXPECT_TRUE(opened.isNull()) << "the window is closed and gone";
    ASSERT_FALSE(m_prompts.prompts.empty());
    EXPECT_EQ(m_prompts.prompts.back(), core::gbk(core::text::kRegisterSucceeded));
    expectAdopted("newbie", "pw1");
}

TEST_F(AccountWindowsFlow, APasswordChangeIsAdoptedAndARetrievalFillsTheResult) {
    start();
    whenModalOpens([&](QWidget* window) {
        ASSERT_NE(qobject_cast<account::AccountServiceWindow*>(window), nullptr);
        // Retrieval first: the window stays open with the password shown.
        child<QTabWidget>(window, "高级选择夹1")->setCurrentIndex(1);
        fill(window, {{"找回_ad1", "free"}, {"找回_ad2", "1"}, {"找回_ad3", "2"}});
        child<QPushButton>(window, "按钮2")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_prompts.prompts.empty(); }, kWait));
        EXPECT_EQ(child<QLineEdit>(window, "结果_ad1")->text(), "free");
        EXPECT_EQ(m_prompts.prompts.back(), core::gbk(core::text::kPasswordRetrieved) + "free");

        child<QTabWidget>(window, "高级选择夹1")->setCurrentIndex(0);
        fill(window, {{"修改_ad1", "free"},
                      {"修改_ad2", "fresh"},
                      {"修改_ad3", "fresh"},
                      {"修改_ad4", "1"},
                      {"修改_ad5", "2"}});
        child<QPushButton>(window, "按钮1")->click();
    });
    // The frame's help button of the login window opens it.
    const auto help = m_client->frame().captionButtonRect(&login(), skin::CaptionButton::Help);
    ASSERT_TRUE(help.has_value());
    QTest::mouseClick(&login(), Qt::LeftButton, {}, help->center());

    EXPECT_EQ(m_prompts.prompts.back(), core::gbk(core::text::kPasswordChanged));
    expectAdopted("free", "fresh");
}

TEST_F(AccountWindowsFlow, SupportButtonsHandTheMessengerLinksToTheDesktop) {
    FakeServiceScript script = demoScript();
    script.config.supportQq = "800123";
    script.config.supportShopChat = "shop";
    start(std::move(script));

    FakeDesktopOpener desktop;
    auto* qq = child<QAbstractButton>(&login(), "图形按钮1");
    auto* shop = child<QAbstractButton>(&login(), "图形按钮2");
    ASSERT_TRUE(qq->isVisible());
    ASSERT_TRUE(shop->isVisible());
    qq->click();
    ASSERT_EQ(desktop.opened(1).size(), 1u);
    shop->click();
    EXPECT_EQ(desktop.opened(2), (std::vector<std::string>{"tencent://message/?uin=800123",
                                                           "aliim:sendmsg?touid=cntaobaoshop"}));
    EXPECT_TRUE(m_prompts.prompts.empty()) << "a click changes nothing in the client";
    EXPECT_EQ(m_client->mainWindow(), nullptr);
}

}  // namespace
}  // namespace lanzhou::test
