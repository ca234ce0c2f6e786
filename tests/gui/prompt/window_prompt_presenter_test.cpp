// WindowPromptPresenter: each call opens its window modally over the owner
// and returns once it is closed; CloseRefused lives across confirmations.

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "tests/gui/support/widget_lookup.h"
#include "tests/support/gbk_literal.h"
#include "ui/prompt/confirm_window.h"
#include "ui/prompt/countdown_prompt.h"
#include "ui/prompt/prompt_window.h"
#include "ui/prompt/window_prompt_presenter.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::display {
namespace {

using namespace std::chrono_literals;
using test::child;
using test::G;
using test::whenModalOpens;

class WindowPromptPresenterTest : public ::testing::Test {
protected:
    WindowPromptPresenterTest() : m_presenter(m_frame, [this] { ++m_chimes; }) {
        m_owner = new QWidget;
        m_owner->setObjectName(QStringLiteral("LoginWindow"));
        m_presenter.setOwner(m_owner);
    }
    ~WindowPromptPresenterTest() override { delete m_owner.data(); }

    void clickFrameClose(QWidget* window) {
        const auto close = m_frame.captionButtonRect(window, skin::CaptionButton::Close);
        ASSERT_TRUE(close);
        QTest::mouseClick(window, Qt::LeftButton, {}, close->center());
    }

    skin::SkinFrame m_frame;
    int m_chimes = 0;
    WindowPromptPresenter m_presenter;
    QPointer<QWidget> m_owner;
};

TEST_F(WindowPromptPresenterTest, PromptOpensModallyOverTheOwnerUntilOk) {
    QPointer<QWidget> seen;
    QString text;
    whenModalOpens([&](QWidget* modal) {
        seen = modal;
        EXPECT_EQ(modal->objectName(), QStringLiteral("PromptWindow"));
        EXPECT_EQ(modal->parentWidget(), m_owner.data());
        EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
        if (auto* label = child<QLabel>(modal, QStringLiteral("提示_标签"))) {
            text = label->text();
        }
        if (auto* ok = child<QPushButton>(modal, QStringLiteral("确定_按钮"))) {
            QTest::mouseClick(ok, Qt::LeftButton);
        }
    });
    m_presenter.showPrompt(G("密码修改成功！"));
    EXPECT_EQ(text, QStringLiteral("密码修改成功！"));
    EXPECT_EQ(m_chimes, 1);
    EXPECT_TRUE(seen.isNull()) << "the window is gone when the call returns";
}

TEST_F(WindowPromptPresenterTest, EmptyTextStillOpensWithTheChime) {
    QString text = QStringLiteral("unset");
    whenModalOpens([&](QWidget* modal) {
        if (auto* label = child<QLabel>(modal, QStringLiteral("提示_标签"))) {
            text = label->text();
        }
        modal->close();
    });
    m_presenter.showPrompt({});
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(m_chimes, 1);
}

TEST_F(WindowPromptPresenterTest, CountdownReturnsByItself) {
    m_presenter.setCountdownTick(2ms);
    QString name;
    whenModalOpens([&](QWidget* modal) { name = modal->objectName(); });
    m_presenter.showCountdownPrompt(G("您的账户已被管理员下线，如有问题请联系我们客服！"));
    EXPECT_EQ(name, QStringLiteral("CountdownPrompt"));
    EXPECT_EQ(m_chimes, 1);
}

TEST_F(WindowPromptPresenterTest, CloseRefusedIsKeptWhenTheFrameClosesTheQuestion) {
    struct Step {
        const char* how;
        bool closeGoesOn;
    };
    // The flag starts false; each frame close repeats the last answer.
    const Step steps[] = {{"frame", true}, {"取消", false}, {"frame", false},
                          {"确定", true},  {"frame", true}, {"取消", false}};
    int opened = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.how);
        const QString how = QString::fromUtf8(step.how);
        whenModalOpens([&](QWidget* modal) {
            ++opened;
            EXPECT_EQ(modal->objectName(), QStringLiteral("ConfirmWindow"));
            if (auto* label = child<QLabel>(modal, QStringLiteral("提示_标签"))) {
                EXPECT_EQ(label->text(), QStringLiteral("确认是否关闭此程序？"));
            }
            if (how == QStringLiteral("frame")) {
                clickFrameClose(modal);
            } else if (auto* button = child<QPushButton>(modal, how + QStringLiteral("_按钮"))) {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        EXPECT_EQ(m_presenter.confirmClose(), step.closeGoesOn);
        EXPECT_EQ(m_presenter.closeRefused(), !step.closeGoesOn);
    }
    EXPECT_EQ(opened, 6);
    EXPECT_EQ(m_chimes, 6);
}

TEST_F(WindowPromptPresenterTest, OwnerDestroyedWhileThePromptIsOpen) {
    whenModalOpens([&](QWidget*) { delete m_owner.data(); });
    m_presenter.showPrompt(G("与服务器连接断开，请与管理员联系！"));
    EXPECT_TRUE(m_owner.isNull());
    // Without an owner the next prompt still opens, as a window of its own.
    whenModalOpens([](QWidget* modal) {
        EXPECT_EQ(modal->parentWidget(), nullptr);
        modal->close();
    });
    m_presenter.showPrompt(G("提示"));
    EXPECT_EQ(m_chimes, 2);
}

}  // namespace
}  // namespace lanzhou::display
