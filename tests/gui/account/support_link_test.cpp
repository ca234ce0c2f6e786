// The support links: the chat links the desktop is handed, and the login
// window's two picture buttons following the session configuration.

#include "client/account/support_link.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <QUrlQuery>

#include <vector>

#include "client/account/login_window.h"
#include "client/core/contact_links.h"
#include "tests/gui/account/account_window_fixture.h"

namespace lanzhou::test {
namespace {

// Stands in for the programs registered for the messengers' schemes.
class LinkRecorder final : public QObject {
    Q_OBJECT

public:
    LinkRecorder() {
        QDesktopServices::setUrlHandler(QStringLiteral("tencent"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("aliim"), this, "open");
    }
    ~LinkRecorder() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("tencent"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("aliim"));
    }

    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

TEST(SupportLink, TheDesktopIsHandedTheChatLink) {
    LinkRecorder recorder;
    account::openSupportLink(core::supportQqLink("10001"));
    ASSERT_EQ(recorder.opened.size(), 1u);
    const QUrl qq = recorder.opened.back();
    EXPECT_EQ(qq.toString(), QStringLiteral("tencent://message/?uin=10001"));
    EXPECT_EQ(qq.scheme(), QStringLiteral("tencent"));
    EXPECT_EQ(qq.host(), QStringLiteral("message"));
    EXPECT_EQ(qq.path(), QStringLiteral("/"));
    EXPECT_EQ(QUrlQuery(qq).queryItemValue(QStringLiteral("uin")), QStringLiteral("10001"));

    account::openSupportLink(core::supportShopChatLink("lanzhou"));
    ASSERT_EQ(recorder.opened.size(), 2u);
    const QUrl shop = recorder.opened.back();
    EXPECT_EQ(shop.toString(), QStringLiteral("aliim:sendmsg?touid=cntaobaolanzhou"));
    EXPECT_EQ(shop.scheme(), QStringLiteral("aliim"));
    EXPECT_EQ(shop.path(), QStringLiteral("sendmsg"));
    EXPECT_EQ(QUrlQuery(shop).queryItemValue(QStringLiteral("touid")),
              QStringLiteral("cntaobaolanzhou"));
}

TEST(SupportLink, AChineseAccountIsReadBackFromGbkAndEncodedInTheLink) {
    LinkRecorder recorder;
    account::openSupportLink(core::supportShopChatLink(G("澜舟客服")));
    ASSERT_EQ(recorder.opened.size(), 1u);
    const QUrl shop = recorder.opened.back();
    EXPECT_EQ(QUrlQuery(shop).queryItemValue(QStringLiteral("touid")),
              QStringLiteral("cntaobao澜舟客服"));
    EXPECT_EQ(shop.toEncoded(),
              QByteArray("aliim:sendmsg?touid=cntaobao%E6%BE%9C%E8%88%9F%E5%AE%A2%E6%9C%8D"));
}

// From "#55" to the buttons: a contact the configuration names shows its
// button; an empty one leaves it as it is; a later number is the one a click
// then opens.
class SupportButtons : public AccountWindowTest {
protected:
    std::unique_ptr<account::LoginWindow> loginWindow() {
        return std::make_unique<account::LoginWindow>(frame, prompts,
                                                      account::LoginWindow::Actions{});
    }
};

TEST_F(SupportButtons, HiddenUntilTheConfigurationNamesAContact) {
    struct Case {
        const char* what;
        const char* qq;
        const char* shopChat;
        bool qqShown, shopChatShown;
    };
    const Case cases[] = {
        {"no contact", "", "", false, false},
        {"QQ only", "10001", "", true, false},
        {"shop chat only", "", "lanzhou", false, true},
        {"both", "10001", "lanzhou", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeServiceScript script = demoScript();
        script.config.supportQq = c.qq;
        script.config.supportShopChat = c.shopChat;
        start(script);
        handshake();
        const auto window = loginWindow();
        window->show();
        window->applyConfig(*view.lastLoginConfig());
        EXPECT_EQ(component(window.get(), "图形按钮1")->isVisible(), c.qqShown);
        EXPECT_EQ(component(window.get(), "图形按钮2")->isVisible(), c.shopChatShown);
    }
}

TEST_F(SupportButtons, ALaterNumberIsTheOneOpened) {
    FakeServiceScript script = demoScript();
    script.config.supportQq = "10001";
    start(script);
    handshake();

    protocol::SessionConfig later = script.config;
    later.supportQq = "20002";
    service->publish(protocol::answer::sessionConfig(later));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            scheduler.runAll();
            return session->session().settings.supportQq == "20002";
        },
        kWaitMs));

    LinkRecorder recorder;
    account::openSupportLink(core::supportQqLink(session->session().settings.supportQq));
    ASSERT_EQ(recorder.opened.size(), 1u);
    EXPECT_EQ(recorder.opened.back().toString(), QStringLiteral("tencent://message/?uin=20002"));
}

}  // namespace
}  // namespace lanzhou::test

#include "support_link_test.moc"
