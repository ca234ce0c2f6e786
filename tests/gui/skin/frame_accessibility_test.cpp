#include "ui/skin/skin_frame.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

QRect onScreen(const QWidget& window, const QRect& rect) {
    return QRect(window.mapToGlobal(rect.topLeft()), rect.size());
}

// The window's accessible child with this name, or nullptr.
QAccessibleInterface* named(QWidget* window, const QString& name) {
    QAccessibleInterface* iface = accessible(window);
    for (int i = 0; i < iface->childCount(); ++i) {
        if (QAccessibleInterface* child = iface->child(i); child->text(QAccessible::Name) == name) {
            return child;
        }
    }
    return nullptr;
}

void press(QAccessibleInterface* element) {
    ASSERT_NE(element, nullptr);
    ASSERT_NE(element->actionInterface(), nullptr);
    ASSERT_EQ(element->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::pressAction()});
    element->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

class FrameAccessibility : public ::testing::Test {
protected:
    void SetUp() override {
        m_window->setWindowTitle(QStringLiteral("窗口"));
        m_window->resize(600, 400);
        m_field = new QLineEdit(m_window);  // a widget of the window's own
        AttachOptions options;
        options.minimizeButton = true;
        options.maximizeButton = true;
        options.helpButton = true;
        options.mainMenuButton = true;
        m_frame.Attach(m_window, options);
        m_frame.OnHelpClick(m_window, [this] { ++m_helpClicks; });
        m_frame.OnMainMenuClick(m_window, [this] { ++m_menuClicks; });
        m_alerts = new QWidget;
        m_alertField = new QLineEdit(m_alerts);
        m_web = new QWidget;
        m_webButton = new QPushButton(QStringLiteral("刷新"), m_web);
        m_frame.AddTab(m_window, QByteArray(), QStringLiteral("股票预警"), m_alerts);
        m_frame.AddTab(m_window, QByteArray(), QStringLiteral("网页"), m_web);
        m_frame.SelectTab(m_window, QStringLiteral("股票预警"));
        m_frame.SetStatusText(m_window, QStringLiteral("账号：甲"));
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window));
    }
    void TearDown() override { delete m_window; }

    SkinFrame m_frame;
    QPointer<QWidget> m_window = new QWidget;
    QLineEdit* m_field = nullptr;
    QWidget* m_alerts = nullptr;
    QLineEdit* m_alertField = nullptr;
    QWidget* m_web = nullptr;
    QPushButton* m_webButton = nullptr;
    int m_helpClicks = 0;
    int m_menuClicks = 0;
};

TEST_F(FrameAccessibility, CaptionButtonsTabsAndStatusBarComeBeforeTheWidgets) {
    QAccessibleInterface* window = accessible(m_window);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("窗口"));

    struct Expected {
        QAccessible::Role role;
        QString name;
        QRect rect;  // window coordinates
    };
    const auto button = [&](CaptionButton id) { return *m_frame.captionButtonRect(m_window, id); };
    const auto tab = [&](const char* title) {
        return *m_frame.tabRect(m_window, QString::fromUtf8(title));
    };
    const QList<Expected> expected = {
        {QAccessible::Button, QStringLiteral("帮助"), button(CaptionButton::Help)},
        {QAccessible::Button, QStringLiteral("主菜单"), button(CaptionButton::MainMenu)},
        {QAccessible::Button, QStringLiteral("最小化"), button(CaptionButton::Minimize)},
        {QAccessible::Button, QStringLiteral("最大化"), button(CaptionButton::Maximize)},
        {QAccessible::Button, QStringLiteral("关闭"), button(CaptionButton::Close)},
        {QAccessible::PageTab, QStringLiteral("股票预警"), tab("股票预警")},
        {QAccessible::PageTab, QStringLiteral("网页"), tab("网页")},
        {QAccessible::StatusBar, QStringLiteral("账号：甲"), QRect(2, 374, 596, 23)},
    };
    ASSERT_GE(window->childCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name.toStdString());
        QAccessibleInterface* child = window->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isValid());
        EXPECT_EQ(child->role(), expected[i].role);
        EXPECT_EQ(child->text(QAccessible::Name), expected[i].name);
        EXPECT_EQ(child->rect(), onScreen(*m_window, expected[i].rect));
        EXPECT_EQ(child->parent(), window);
        EXPECT_EQ(window->indexOfChild(child), i);
        EXPECT_EQ(window->child(i), child);  // the same interface each time
        EXPECT_EQ(window->childAt(child->rect().center().x(), child->rect().center().y()), child);
    }
    EXPECT_TRUE(window->child(5)->state().selected);
    EXPECT_FALSE(window->child(6)->state().selected);
    EXPECT_EQ(window->child(7)->actionInterface(), nullptr);

    // The window's own widgets follow, the line edit among them.
    QAccessibleInterface* field = accessible(m_field);
    const int fieldIndex = window->indexOfChild(field);
    EXPECT_GE(fieldIndex, expected.size());
    EXPECT_EQ(window->child(fieldIndex), field);
}

TEST_F(FrameAccessibility, PressingDoesWhatAClickDoes) {
    press(named(m_window, QStringLiteral("帮助")));
    press(named(m_window, QStringLiteral("主菜单")));
    EXPECT_EQ(m_helpClicks, 0);  // queued, as a click is
    QTest::qWait(0);
    EXPECT_EQ(m_helpClicks, 1);
    EXPECT_EQ(m_menuClicks, 1);

    press(named(m_window, QStringLiteral("网页")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_web->isVisible(); }));
    EXPECT_EQ(m_frame.selectedTab(m_window), QStringLiteral("网页"));
    EXPECT_TRUE(named(m_window, QStringLiteral("网页"))->state().selected);

    press(named(m_window, QStringLiteral("最大化")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->isMaximized(); }));
    EXPECT_EQ(named(m_window, QStringLiteral("最大化")), nullptr);
    press(named(m_window, QStringLiteral("还原")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_window->isMaximized(); }));

    press(named(m_window, QStringLiteral("最小化")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->isMinimized(); }));
    m_window->showNormal();

    press(named(m_window, QStringLiteral("关闭")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_window->isVisible(); }));
}

TEST_F(FrameAccessibility, TheStatusBarIsNamedByItsCurrentText) {
    m_frame.SetStatusText(m_window, QStringLiteral("与服务器连接断开"));
    EXPECT_NE(named(m_window, QStringLiteral("与服务器连接断开")), nullptr);
    EXPECT_EQ(named(m_window, QStringLiteral("账号：甲")), nullptr);
}

TEST_F(FrameAccessibility, AWindowAskedAboutBeforeItWasFramedShowsItsFrame) {
    QWidget plain;
    plain.setWindowTitle(QStringLiteral("后来"));
    ASSERT_EQ(accessible(&plain)->childCount(), 0);
    m_frame.Attach(&plain, dialogAttachOptions());
    QAccessibleInterface* window = accessible(&plain);
    ASSERT_EQ(window->childCount(), 1);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->child(0)->text(QAccessible::Name), QStringLiteral("关闭"));
}

TEST_F(FrameAccessibility, KeysSwitchTabsRoundTheStripAndFocusThePage) {
    QApplication::setActiveWindow(m_window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    m_field->setFocus();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* tab;
        QWidget* focused;
    };
    const QList<Case> cases = {
        {Qt::Key_Tab, Qt::ControlModifier, "网页", m_webButton},
        {Qt::Key_Tab, Qt::ControlModifier, "股票预警", m_alertField},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "网页", m_webButton},
        {Qt::Key_PageUp, Qt::ControlModifier, "股票预警", m_alertField},
        {Qt::Key_PageDown, Qt::ControlModifier, "网页", m_webButton},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.tab);
        QTest::keyClick(QApplication::focusWidget(), each.key, each.modifiers);
        EXPECT_EQ(m_frame.selectedTab(m_window), QString::fromUtf8(each.tab));
        EXPECT_EQ(QApplication::focusWidget(), each.focused);
    }
}

TEST_F(FrameAccessibility, F1AndF10PressTheHelpAndMainMenuButtons) {
    QApplication::setActiveWindow(m_window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    m_field->setFocus();
    QTest::keyClick(m_field, Qt::Key_F1);
    EXPECT_EQ(m_helpClicks, 1);
    EXPECT_EQ(m_menuClicks, 0);
    QTest::keyClick(m_field, Qt::Key_F10);
    EXPECT_EQ(m_menuClicks, 1);
}

}  // namespace
}  // namespace lanzhou::skin
