// The login window without a mouse: Tab follows the layout, and the links
// and picture buttons act from the keyboard and from assistive technology.

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <functional>

#include "tests/gui/account/login_window_fixture.h"

namespace lanzhou::test {
namespace {

class LoginWindowKeyboard : public LoginWindowTest {
protected:
    void SetUp() override {
        LoginWindowTest::SetUp();
        window->attachFrame(core::LineChoice::Telecom);
        window->applyConfig({"", 0, true, 309, true, true});  // both support buttons
        window->fillRemembered(std::nullopt);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};

TEST_F(LoginWindowKeyboard, TabFollowsTheLayout) {
    const std::vector<const char*> order = {"登陆_ad1",  "登陆_ad2",  "按钮3",     "选择框1",
                                            "注册_标签", "充值_标签", "图形按钮1", "图形按钮2"};
    ASSERT_EQ(QApplication::focusWidget(), component(order.front()));
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), component(order[i])) << order[i];
    }
}

TEST_F(LoginWindowKeyboard, LinksAndPictureButtonsActFromKeysAndFromAssistiveTechnology) {
    struct Case {
        const char* component;
        Qt::Key key;  // Qt::Key_unknown: the accessible press action
        const int& count;
    };
    const std::vector<Case> cases = {
        {"注册_标签", Qt::Key_Space, record.openRegister},
        {"充值_标签", Qt::Key_Return, record.openRecharge},
        {"注册_标签", Qt::Key_unknown, record.openRegister},
        {"图形按钮1", Qt::Key_Space, record.openSupportQq},
        {"图形按钮2", Qt::Key_unknown, record.openSupportShopChat},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.component);
        QWidget* widget = component(each.component);
        const int before = each.count;
        if (each.key == Qt::Key_unknown) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
            ASSERT_NE(iface->actionInterface(), nullptr);
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else {
            widget->setFocus(Qt::TabFocusReason);
            QTest::keyClick(widget, each.key);
        }
        // A press through assistive technology comes later (queued, or a
        // button's animated click).
        EXPECT_TRUE(QTest::qWaitFor([&] { return each.count == before + 1; }));
        EXPECT_EQ(each.count, before + 1);
    }
}

TEST_F(LoginWindowKeyboard, ControlsAreNamedAndTheLinksAreLinks) {
    struct Case {
        const char* component;
        QAccessible::Role role;
        const char* name;
    };
    const std::vector<Case> cases = {
        {"登陆_ad1", QAccessible::EditableText, "账号"},
        {"登陆_ad2", QAccessible::EditableText, "密码"},
        {"按钮3", QAccessible::Button, "登陆"},
        {"选择框1", QAccessible::CheckBox, "记住密码"},
        {"注册_标签", QAccessible::Link, "注册账号"},
        {"充值_标签", QAccessible::Link, "账号充值"},
        {"图形按钮1", QAccessible::Button, "QQ客服"},
        {"图形按钮2", QAccessible::Button, "在线客服"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.component);
        QAccessibleInterface* iface =
            QAccessible::queryAccessibleInterface(component(each.component));
        EXPECT_EQ(iface->role(), each.role);
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(each.name));
    }
}

}  // namespace
}  // namespace lanzhou::test
