// What the session changes on the login window, the frame it wears, and the
// links it opens.

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "tests/gui/account/login_window_fixture.h"
#include "ui/html/html_view.h"

namespace lanzhou::test {
namespace {

using LoginWindowSession = LoginWindowTest;

constexpr const char* kLabels[] = {"标签3", "标签4", "标签5", "注册_标签", "充值_标签"};

TEST_F(LoginWindowSession, ConfigurationSetsCaptionLabelColoursHeightAndButtons) {
    struct Case {
        const char* title;
        core::LoginWindowConfig config;
        int height;
        bool bulletinShown, qqShown, shopChatShown;
    };
    const Case cases[] = {
        {"bulletin shown, QQ support",
         {gbk("澜舟智投"), 0x0000FF, false, 429, true, false},
         429,
         true,
         true,
         false},
        {"bulletin hidden, shop chat",
         {gbk("标题"), 0x123456, true, 309, false, true},
         309,
         false,
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        build(recordingActions(record));
        window->show();
        window->applyConfig(c.config);
        EXPECT_EQ(window->windowTitle(), display::fromGbk(c.config.caption));
        EXPECT_EQ(window->height(), c.height);
        EXPECT_EQ(window->width(), 452);
        EXPECT_EQ(window->minimumHeight(), window->maximumHeight());
        EXPECT_EQ(component("互联网浏览器1")->isVisible(), c.bulletinShown);
        EXPECT_EQ(component("图形按钮1")->isVisible(), c.qqShown);
        EXPECT_EQ(component("图形按钮2")->isVisible(), c.shopChatShown);
        for (const char* name : kLabels) {
            SCOPED_TRACE(name);
            EXPECT_EQ(component<QLabel>(name)->palette().color(QPalette::WindowText),
                      skin::fromColorRef(c.config.labelColour));
            EXPECT_FALSE(component<QLabel>(name)->autoFillBackground());
        }
    }
}

TEST_F(LoginWindowSession, ColourRefIsBlueGreenRed) {
    window->applyConfig({"", 0x0000FF, false, 429, false, false});  // red in 0x00BBGGRR
    EXPECT_EQ(component<QLabel>("标签3")->palette().color(QPalette::WindowText), QColor(Qt::red));
}

TEST_F(LoginWindowSession, ALaterConfigurationHidesNothingItShowed) {
    window->show();
    window->applyConfig({"", 0, true, 309, true, true});
    window->applyConfig({"", 0, false, 429, false, false});
    EXPECT_EQ(window->height(), 429);
    EXPECT_TRUE(component("图形按钮1")->isVisible());
    EXPECT_TRUE(component("图形按钮2")->isVisible());
}

TEST_F(LoginWindowSession, FormAndCredentialsCrossInGbk) {
    window->setCredentials({gbk("新账号"), gbk("新密码")});
    EXPECT_EQ(component<QLineEdit>("登陆_ad1")->text(), QStringLiteral("新账号"));
    EXPECT_EQ(component<QLineEdit>("登陆_ad2")->text(), QStringLiteral("新密码"));
    const core::LoginFormState form = window->form();
    EXPECT_EQ(form.account, gbk("新账号"));
    EXPECT_EQ(form.password, gbk("新密码"));
    EXPECT_FALSE(form.remember);
}

TEST_F(LoginWindowSession, LinksOpenTheirWindowsOnLeftPress) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::mousePress(component("注册_标签"), Qt::RightButton);
    QTest::mousePress(component("充值_标签"), Qt::MiddleButton);
    EXPECT_EQ(record.openRegister + record.openRecharge, 0);

    QTest::mousePress(component("注册_标签"), Qt::LeftButton);
    EXPECT_EQ(record.openRegister, 1);
    QTest::mousePress(component("充值_标签"), Qt::LeftButton);
    EXPECT_EQ(record.openRecharge, 1);

    window->applyConfig({"", 0, false, 429, true, true});
    QTest::mouseClick(component("图形按钮1"), Qt::LeftButton);
    QTest::mouseClick(component("图形按钮2"), Qt::LeftButton);
    EXPECT_EQ(record.openSupportQq, 1);
    EXPECT_EQ(record.openSupportShopChat, 1);
    EXPECT_TRUE(record.sentLogins.empty());
}

TEST_F(LoginWindowSession, FrameWithTheLinesStatusTextAndItsButtons) {
    struct Case {
        core::LineChoice line;
        const char* status;
    };
    const Case cases[] = {
        {core::LineChoice::Telecom, "您当前选择的通道：电信线路(可在软件设置中设置)"},
        {core::LineChoice::Netcom, "您当前选择的通道：网通线路(可在软件设置中设置)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        build(recordingActions(record));
        window->attachFrame(c.line);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        EXPECT_TRUE(frame.isAttached(window.get()));
        EXPECT_EQ(frame.statusText(window.get()), QString::fromUtf8(c.status));
        EXPECT_TRUE(frame.captionButtonRect(window.get(), skin::CaptionButton::Minimize));
        EXPECT_FALSE(frame.captionButtonRect(window.get(), skin::CaptionButton::Maximize));
        EXPECT_EQ(window->property("Vuziz_BannerHeight").toInt(), 279);
        EXPECT_EQ(window->property("Vuziz_StatusHeight").toInt(), 26);  // the default bar
        EXPECT_EQ(window->property("Vuziz_bSizeBox").toInt(), 0);
        EXPECT_EQ(window->size(), QSize(452, 428));
    }

    record = {};
    for (const auto& [button, count] :
         {std::pair{skin::CaptionButton::MainMenu, &record.openSettings},
          std::pair{skin::CaptionButton::Help, &record.openAccountService}}) {
        const std::optional<QRect> rect = frame.captionButtonRect(window.get(), button);
        ASSERT_TRUE(rect);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, rect->center());
        EXPECT_EQ(*count, 1);
    }
    EXPECT_EQ(record.openSettings + record.openAccountService, 2);
}

TEST_F(LoginWindowSession, RestyledChildrenKeepTheirLookRules) {
    window->attachFrame(core::LineChoice::Telecom);
    window->show();
    auto* password = component<QLineEdit>("登陆_ad2");
    password->setText(QStringLiteral("abc"));
    EXPECT_EQ(password->displayText(), QStringLiteral("***"));
    for (const char* name : kLabels) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(component(name)->autoFillBackground());
        EXPECT_EQ(component(name)->font().family(), QStringLiteral("宋体"));
        EXPECT_EQ(component(name)->font().pixelSize(), 12);
    }
}

TEST_F(LoginWindowSession, ClosingByTheMemberIsAnnounced) {
    QSignalSpy closed(window.get(), &account::LoginWindow::closedByMember);
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
    // Hiding (after login) is not closing.
    window->show();
    window->hide();
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(LoginWindowSession, BulletinIsWrittenIntoTheBrowser) {
    window->show();
    window->showBulletin(
        gbk("<html><head><meta http-equiv=\"Content-Type\" "
            "content=\"text/html; charset=gb2312\"><title>今日公告</title>"
            "</head><body>欢迎</body></html>"));
    display::HtmlView& view = window->bulletinView();
    EXPECT_EQ(&view, component("互联网浏览器1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.title() == QStringLiteral("今日公告"); }, 20000));
}

}  // namespace
}  // namespace lanzhou::test
