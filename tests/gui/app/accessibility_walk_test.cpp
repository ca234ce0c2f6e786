// Every window of the client as assistive technology sees it: the walk
// through each window's accessibility tree finds no interactive element
// without a name.

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

#include "client/display/main_window.h"
#include "client/display/message_window.h"
#include "client/update/update_notice_window.h"
#include "tests/gui/app/access_fixture.h"
#include "tests/gui/support/accessible_tree.h"
#include "ui/prompt/confirm_window.h"
#include "ui/prompt/countdown_prompt.h"
#include "ui/prompt/prompt_window.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::test {
namespace {

// Fails naming each unnamed interactive element of `window`, with the whole
// tree for reference.
void expectAllNamed(QWidget* window) {
    ASSERT_NE(window, nullptr);
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(root->text(QAccessible::Name).isEmpty()) << window->objectName().toStdString();
    const QStringList unnamed = unnamedInteractive(root);
    QStringList tree;
    describeTree(root, tree);
    EXPECT_TRUE(unnamed.isEmpty())
        << window->objectName().toStdString() << " leaves unnamed:\n"
        << unnamed.join(QLatin1Char('\n')).toStdString() << "\nin the tree:\n"
        << tree.join(QLatin1Char('\n')).toStdString();
}

class AccessibilityWalk : public AccessClient {
protected:
    // Walks the modal window that `open` opens.
    void walkModalOpenedBy(const std::function<void()>& open) {
        bool walked = false;
        whenModalOpens([&](QWidget* modal) {
            expectAllNamed(modal);
            walked = true;
            modal->close();
        });
        open();
        EXPECT_TRUE(QTest::qWaitFor([&] { return walked; }, kWait));
    }
};

TEST_F(AccessibilityWalk, TheLoginWindowAndTheWindowsItOpens) {
    start();
    expectAllNamed(&login());
    walkModalOpenedBy([&] { clickLabel("注册_标签"); });
    walkModalOpenedBy([&] { clickLabel("充值_标签"); });
    walkModalOpenedBy([&] { clickCaptionButton(&login(), skin::CaptionButton::Help); });
    walkModalOpenedBy([&] { clickCaptionButton(&login(), skin::CaptionButton::MainMenu); });
}

TEST_F(AccessibilityWalk, TheMainWindowOnEveryTabAndThePopup) {
    start();
    logIn();
    display::MainWindow& window = main();
    for (const QString& title : m_client->frame().tabTitles(&window)) {
        SCOPED_TRACE(title.toStdString());
        window.selectTab(title);
        expectAllNamed(&window);
    }

    display::MessageWindow::Content content;
    content.caption = QStringLiteral("预警");
    content.fragment = "<b>600000</b>";
    auto* popup = new display::MessageWindow(m_client->frame(), content);
    popup->show();
    expectAllNamed(popup);
    popup->close();
}

TEST_F(AccessibilityWalk, PromptsAndTheUpdateOfferAreReadWithTheirText) {
    skin::SkinFrame frame;
    const std::string text = "text";
    const QString offerText = QStringLiteral("发现新版本，是否更新？");
    display::PromptWindow prompt(text, frame, {}, nullptr);
    display::ConfirmWindow confirm(text, frame, {}, nullptr);
    display::CountdownPrompt countdown(text, frame, {}, nullptr, std::chrono::hours(1));
    update::UpdateNoticeWindow offer(frame, {}, offerText);
    struct Case {
        QWidget* window;
        QString name;
        QString description;
    };
    const QList<Case> cases = {
        {&prompt, QStringLiteral("提示："), QStringLiteral("text")},
        {&confirm, QStringLiteral("提示："), QStringLiteral("text")},
        {&countdown, QStringLiteral("提示"), QStringLiteral("text")},
        {&offer, QStringLiteral("发现新的版本："), offerText},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.window->objectName().toStdString());
        each.window->show();
        expectAllNamed(each.window);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(each.window);
        EXPECT_EQ(window->role(), QAccessible::Dialog);
        EXPECT_EQ(window->text(QAccessible::Name), each.name);
        EXPECT_EQ(window->text(QAccessible::Description), each.description);
        each.window->hide();
    }
}

}  // namespace
}  // namespace lanzhou::test
