// The support links: the chat links the desktop is handed, and the login
// window's two picture buttons following the session configuration.

#include "client/account/support_link.h"

#include <string>
#include <vector>

#include "client/account/login_window.h"
#include "client/core/contact_links.h"
#include "tests/gui/account/account_window_fixture.h"
#include "tests/gui/support/fake_desktop_opener.h"

namespace lanzhou::test {
namespace {

TEST(SupportLink, TheDesktopIsHandedTheChatLinkAsBuilt) {
    FakeDesktopOpener desktop;
    account::openSupportLink(core::supportQqLink("10001"));
    ASSERT_EQ(desktop.opened(1), (std::vector<std::string>{"tencent://message/?uin=10001"}));

    account::openSupportLink(core::supportShopChatLink("lanzhou"));
    EXPECT_EQ(desktop.opened(2), (std::vector<std::string>{"tencent://message/?uin=10001",
                                                           "aliim:sendmsg?touid=cntaobaolanzhou"}));
}

TEST(SupportLink, AChineseAccountReachesTheDesktopAsTextNotPercentEncoded) {
    FakeDesktopOpener desktop;
    account::openSupportLink(core::supportShopChatLink(G("澜舟客服")));
    EXPECT_EQ(desktop.opened(1),
              (std::vector<std::string>{"aliim:sendmsg?touid=cntaobao澜舟客服"}));
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

    FakeDesktopOpener desktop;
    account::openSupportLink(core::supportQqLink(session->session().settings.supportQq));
    EXPECT_EQ(desktop.opened(1), (std::vector<std::string>{"tencent://message/?uin=20002"}));
}

}  // namespace
}  // namespace lanzhou::test
