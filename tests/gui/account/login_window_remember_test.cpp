// The remember box and the remembered credentials: the box writes
// k_config.ini at once through the core, and start-up fills the form.

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "client/core/startup_settings.h"
#include "client/core/stored_text_cipher.h"
#include "config/config_file.h"
#include "tests/gui/account/login_window_fixture.h"

namespace lanzhou::test {
namespace {

class LoginWindowRemember : public LoginWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(config.ensure());
        account::LoginWindow::Actions actions = recordingActions(record);
        actions.rememberClicked = [this](bool ticked, const core::Credentials& form) {
            core::storeRememberBox(config, ticked, form);
        };
        build(std::move(actions));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        box = component<QCheckBox>("选择框1");
        account = component<QLineEdit>("登陆_ad1");
        password = component<QLineEdit>("登陆_ad2");
        ASSERT_TRUE(box && account && password);
    }

    void clickBox() { QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center()); }

    struct Stored {
        std::string zx, account, password;
    };
    Stored stored() const {
        return {config.read("zx"), core::decodeStored(config.read("username")),
                core::decodeStored(config.read("userpass"))};
    }

    QTemporaryDir m_dir;
    config::ConfigFile config{m_dir.filePath(QStringLiteral("k_config.ini")).toStdString()};
    QCheckBox* box = nullptr;
    QLineEdit* account = nullptr;
    QLineEdit* password = nullptr;
};

TEST_F(LoginWindowRemember, TickingStoresTheFormOfThatMomentUntickingEmptiesIt) {
    account->setText(QStringLiteral("张三"));
    password->setText(QStringLiteral("密码 1"));
    clickBox();
    ASSERT_TRUE(box->isChecked());
    Stored now = stored();
    EXPECT_EQ(now.zx, "1");
    EXPECT_EQ(now.account, gbk("张三"));
    EXPECT_EQ(now.password, gbk("密码 1"));
    EXPECT_NE(config.read("username"), gbk("张三"));  // enciphered, not plain

    // Typing afterwards does not rewrite them.
    account->setText(QStringLiteral("李四"));
    EXPECT_EQ(stored().account, gbk("张三"));

    clickBox();
    ASSERT_FALSE(box->isChecked());
    now = stored();
    EXPECT_EQ(now.zx, "0");
    EXPECT_EQ(config.read("username"), "");
    EXPECT_EQ(config.read("userpass"), "");
    EXPECT_TRUE(record.sentLogins.empty());
}

TEST_F(LoginWindowRemember, TickingAnEmptyFormStoresEmptyCredentials) {
    clickBox();
    EXPECT_EQ(config.read("zx"), "1");
    EXPECT_EQ(config.read("username"), "");
    EXPECT_EQ(config.read("userpass"), "");
}

TEST_F(LoginWindowRemember, FillingFromRememberedCredentialsWritesNothing) {
    const std::string before = config.read("zx");
    window->fillRemembered(core::Credentials{gbk("张三"), gbk("密码")});
    EXPECT_EQ(account->text(), QStringLiteral("张三"));
    EXPECT_EQ(password->text(), QStringLiteral("密码"));
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(window->focusWidget(), password);
    EXPECT_EQ(config.read("zx"), before);

    const core::LoginFormState form = window->form();
    EXPECT_EQ(form.account, gbk("张三"));
    EXPECT_EQ(form.password, gbk("密码"));
    EXPECT_TRUE(form.remember);
}

TEST_F(LoginWindowRemember, RememberedButEmptyStartsEmptyTickedInThePassword) {
    window->fillRemembered(core::Credentials{});
    EXPECT_TRUE(account->text().isEmpty());
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(window->focusWidget(), password);
}

TEST_F(LoginWindowRemember, NothingRememberedFocusesTheAccount) {
    password->setFocus();
    window->fillRemembered(std::nullopt);
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(account->text().isEmpty());
    EXPECT_EQ(window->focusWidget(), account);
}

TEST_F(LoginWindowRemember, RememberedCredentialsReadAtStartUpFillTheForm) {
    // The whole round: the box writes, start-up reads, the next window fills.
    account->setText(QStringLiteral("会员"));
    password->setText(QStringLiteral("pw"));
    clickBox();
    const core::StartupSettings settings = core::readStartupSettings(config, "/run");
    ASSERT_TRUE(settings.remembered.has_value());

    build(recordingActions(record));
    window->fillRemembered(settings.remembered);
    EXPECT_EQ(component<QLineEdit>("登陆_ad1")->text(), QStringLiteral("会员"));
    EXPECT_EQ(component<QLineEdit>("登陆_ad2")->text(), QStringLiteral("pw"));
    EXPECT_TRUE(component<QCheckBox>("选择框1")->isChecked());
}

}  // namespace
}  // namespace lanzhou::test
