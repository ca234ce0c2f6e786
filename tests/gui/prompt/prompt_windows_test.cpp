// The three prompt windows built directly: layout and width fitting with the
// measured "A", the chime before the frame, the countdown's steps, the
// confirmation's answers.

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "tests/gui/support/widget_lookup.h"
#include "tests/support/gbk_literal.h"
#include "ui/prompt/confirm_window.h"
#include "ui/prompt/countdown_prompt.h"
#include "ui/prompt/prompt_window.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::display {
namespace {

using namespace std::chrono_literals;
using test::child;
using test::G;

enum class Kind { Prompt, Countdown, Confirm };

std::unique_ptr<PromptDialog> build(Kind kind, const std::string& textGbk, skin::SkinFrame& frame,
                                    const std::function<void()>& chime = {}) {
    switch (kind) {
        case Kind::Prompt:
            return std::make_unique<PromptWindow>(textGbk, frame, chime);
        case Kind::Countdown:
            return std::make_unique<CountdownPrompt>(textGbk, frame, chime, nullptr, 1h);
        case Kind::Confirm:
            return std::make_unique<ConfirmWindow>(textGbk, frame, chime);
    }
    return nullptr;
}

std::string repeated(std::string_view utf8, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += utf8;
    }
    return text;
}

int letterWidth(const QLabel& label) {
    return QFontMetrics(label.font()).horizontalAdvance(QLatin1Char('A'));
}

struct DesignCase {
    Kind kind;
    const char* name;
    const char* caption;
    int width;
    QRect label;
    QRect ok;
};

const DesignCase kDesigns[] = {
    {Kind::Prompt, "PromptWindow", "提示：", 320, {2, 38, 316, 26}, {122, 74, 76, 27}},
    {Kind::Countdown, "CountdownPrompt", "", 320, {2, 38, 316, 26}, {122, 74, 76, 27}},
    {Kind::Confirm, "ConfirmWindow", "提示：", 289, {0, 38, 289, 26}, {45, 74, 77, 27}},
};

const QRect kCancelDesign{171, 72, 77, 27};

TEST(PromptWindows, ShortTextKeepsTheDesignLayout) {
    skin::SkinFrame frame;
    // Ten Chinese characters: 20 GBK bytes, within 320 pixels for any "A"
    // up to 16 pixels wide.
    const std::string text = repeated("提", 10);
    for (const DesignCase& design : kDesigns) {
        SCOPED_TRACE(design.name);
        auto window = build(design.kind, G(text), frame);
        EXPECT_EQ(window->objectName(), design.name);
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(design.caption));
        EXPECT_TRUE(window->isModal());
        EXPECT_TRUE(frame.isAttached(window.get()));
        auto* label = child<QLabel>(window.get(), QStringLiteral("提示_标签"));
        auto* ok = child<QPushButton>(window.get(), QStringLiteral("确定_按钮"));
        ASSERT_TRUE(label && ok);
        ASSERT_LE(20 * letterWidth(*label), 320) << "a very wide font";
        EXPECT_EQ(window->size(), QSize(design.width, 114));
        EXPECT_EQ(label->geometry(), design.label);
        EXPECT_EQ(ok->geometry(), design.ok);
        EXPECT_EQ(ok->text(), QStringLiteral("确定"));
        EXPECT_EQ(label->text(), QString::fromStdString(text));
        EXPECT_TRUE(label->alignment().testFlag(Qt::AlignHCenter));
        EXPECT_FALSE(label->wordWrap());
        if (design.kind == Kind::Confirm) {
            auto* cancel = child<QPushButton>(window.get(), QStringLiteral("取消_按钮"));
            ASSERT_TRUE(cancel);
            EXPECT_EQ(cancel->geometry(), kCancelDesign);
            EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
        }
    }
}

TEST(PromptWindows, LongTextWidensByItsGbkBytesTimesTheWidthOfA) {
    skin::SkinFrame frame;
    // 40 letters and 30 Chinese characters: 70 characters, 100 GBK bytes.
    const std::string text = repeated("x", 40) + repeated("您", 30);
    for (const DesignCase& design : kDesigns) {
        SCOPED_TRACE(design.name);
        auto window = build(design.kind, G(text), frame);
        auto* label = child<QLabel>(window.get(), QStringLiteral("提示_标签"));
        auto* ok = child<QPushButton>(window.get(), QStringLiteral("确定_按钮"));
        ASSERT_TRUE(label && ok);
        const int estimate = 100 * letterWidth(*label);
        ASSERT_GT(estimate, 320) << "an \"A\" narrower than 4 pixels";
        EXPECT_EQ(window->size(), QSize(estimate + 16, 114));
        EXPECT_EQ(label->geometry(),
                  QRect(design.label.left(), design.label.top(), estimate + 12, 26));
        EXPECT_EQ(ok->geometry(),
                  QRect(QPoint((estimate + 16) / 2 - 38, design.ok.top()), design.ok.size()));
        EXPECT_EQ(label->text(), QString::fromStdString(text));
        if (design.kind == Kind::Confirm) {
            auto* cancel = child<QPushButton>(window.get(), QStringLiteral("取消_按钮"));
            ASSERT_TRUE(cancel);
            EXPECT_EQ(cancel->geometry(), kCancelDesign);
        }
    }
}

TEST(PromptWindows, ChimePlaysOnceBeforeTheFrameIsAttached) {
    skin::SkinFrame frame;
    for (const DesignCase& design : kDesigns) {
        SCOPED_TRACE(design.name);
        const qsizetype before = frame.windows().size();
        int chimes = 0;
        qsizetype attachedAtChime = -1;
        auto window = build(design.kind, G("提示"), frame, [&] {
            ++chimes;
            attachedAtChime = frame.windows().size();
        });
        EXPECT_EQ(chimes, 1);
        EXPECT_EQ(attachedAtChime, before);
        EXPECT_TRUE(frame.isAttached(window.get()));
    }
}

TEST(CountdownPrompt, CountsFromTenToZeroAndClosesOnTheEleventhTick) {
    skin::SkinFrame frame;
    CountdownPrompt window(G("您的账户已在别处登录"), frame, {}, nullptr, 1h);
    window.show();
    auto* ok = child<QPushButton>(&window, QStringLiteral("确定_按钮"));
    ASSERT_TRUE(ok);
    QSignalSpy finished(&window, &QDialog::finished);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    for (int shown = 10; shown >= 0; --shown) {
        window.tick();
        EXPECT_EQ(ok->text(), QStringLiteral("确定(%1)").arg(shown));
        EXPECT_EQ(window.isVisible(), shown > 0) << "after the tick showing " << shown;
    }
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.front().front().toInt(), QDialog::Accepted);
}

TEST(CountdownPrompt, ItsTimerRunsTheCountdownToTheEnd) {
    skin::SkinFrame frame;
    CountdownPrompt window(G("您的会员身份已到期，请尽快充值！"), frame, {}, nullptr, 2ms);
    QSignalSpy finished(&window, &QDialog::finished);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, 5000));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.okButton()->text(), QStringLiteral("确定(0)"));
}

TEST(CountdownPrompt, OkClosesAtOnce) {
    skin::SkinFrame frame;
    CountdownPrompt window(G("下线"), frame, {}, nullptr, 1h);
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    window.tick();
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.okButton()->text(), QStringLiteral("确定(10)"));
}

TEST(ConfirmWindow, AnswersByButtonOrEscapeOrNotAtAllWhenClosedByTheFrame) {
    skin::SkinFrame frame;
    struct Case {
        const char* how;
        std::function<void(ConfirmWindow&)> close;
        int answer;
    };
    const auto clickCloseButton = [&frame](ConfirmWindow& window) {
        const auto close = frame.captionButtonRect(&window, skin::CaptionButton::Close);
        ASSERT_TRUE(close);
        QTest::mouseClick(&window, Qt::LeftButton, {}, close->center());
    };
    const Case cases[] = {
        {"确定", [](ConfirmWindow& w) { QTest::mouseClick(w.okButton(), Qt::LeftButton); },
         ConfirmWindow::Confirmed},
        {"取消", [](ConfirmWindow& w) { QTest::mouseClick(w.cancelButton(), Qt::LeftButton); },
         ConfirmWindow::Cancelled},
        {"frame close", clickCloseButton, ConfirmWindow::NoAnswer},
        {"Escape", [](ConfirmWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); },
         ConfirmWindow::Cancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ConfirmWindow window(G("确认是否关闭此程序？"), frame, {});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QSignalSpy finished(&window, &QDialog::finished);
        c.close(window);
        ASSERT_EQ(finished.size(), 1);
        EXPECT_EQ(finished.front().front().toInt(), c.answer);
        EXPECT_FALSE(window.isVisible());
    }
}

}  // namespace
}  // namespace lanzhou::display
