#include "updater/window/updater_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/gui/support/widget_lookup.h"
#include "ui/skin/skin_frame.h"
#include "updater/window/finish_window.h"

namespace lanzhou::updater {
namespace {

using test::child;

TEST(UpdaterWindow, ComponentsAtTheirPlaces) {
    skin::SkinFrame frame;
    UpdaterWindow window(frame);
    EXPECT_EQ(window.size(), QSize(533, 110));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("自动更新程序"));
    EXPECT_TRUE(frame.isAttached(&window));
    EXPECT_EQ(window.property("Vuziz_StatusHeight").toInt(), 24);

    auto* box = child<QWidget>(&window, QStringLiteral("box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->geometry(), QRect(2, 26, 529, 58));

    // Captions at top 8 and values at top 36, inside the box.
    const struct {
        const char* name;
        QString text;
        QPoint at;
    } labels[] = {
        {"taskCaption", QStringLiteral("任务名称"), {17, 8}},
        {"sizeCaption", QStringLiteral("文件大小(KB)"), {91, 8}},
        {"progressCaption", QStringLiteral("升级进度"), {270, 8}},
        {"speedCaption", QStringLiteral("速度(KB/S)"), {456, 8}},
        {"taskLabel", QStringLiteral("升级程序"), {3, 36}},
        {"sizeLabel", QString(), {88, 36}},
        {"phaseLabel", QString(), {379, 36}},
        {"speedLabel", QString(), {436, 36}},
    };
    for (const auto& expected : labels) {
        auto* label = child<QLabel>(box, QString::fromUtf8(expected.name));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), expected.text) << expected.name;
        EXPECT_EQ(label->pos(), expected.at) << expected.name;
    }
    EXPECT_EQ(child<QLabel>(box, QStringLiteral("phaseLabel"))->width(), 50);
    EXPECT_EQ(child<QLabel>(box, QStringLiteral("speedLabel"))->width(), 88);

    auto* bar = child<QProgressBar>(box, QStringLiteral("progressBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(178, 36, 196, 16));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    auto* cancel = child<QPushButton>(&window, QStringLiteral("cancelButton"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("取消更新"));
    EXPECT_EQ(cancel->geometry(), QRect(456, 86, 74, 20));
}

TEST(UpdaterWindow, FailureStopsTheBarAndOffersClose) {
    skin::SkinFrame frame;
    UpdaterWindow window(frame);
    window.show();
    window.setProgress(42);
    window.showFailure(QStringLiteral("更新包校验失败"));

    EXPECT_EQ(window.phase(), QStringLiteral("更新失败"));
    EXPECT_EQ(window.message(), QStringLiteral("更新包校验失败"));
    EXPECT_EQ(window.progress(), 42);
    EXPECT_FALSE(child<QProgressBar>(&window, QStringLiteral("progressBar"))->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&window, QStringLiteral("cancelButton"))->isVisible());

    auto* close = child<QPushButton>(&window, QStringLiteral("closeButton"));
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isVisible());
    EXPECT_EQ(close->text(), QStringLiteral("关闭"));
    QSignalSpy closeClicked(&window, &UpdaterWindow::closeClicked);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(closeClicked.count(), 1);
}

TEST(UpdaterWindow, ClosingIsAskedForNotDone) {
    skin::SkinFrame frame;
    UpdaterWindow window(frame);
    window.show();
    QSignalSpy asked(&window, &UpdaterWindow::closeRequested);
    window.close();
    EXPECT_EQ(asked.count(), 1);
    EXPECT_TRUE(window.isVisible());
}

TEST(FinishWindow, ChimesShowsThePromptAndEndsOnEveryClose) {
    skin::SkinFrame frame;
    for (const bool byButton : {true, false}) {
        int chimes = 0;
        FinishWindow window(
            frame, [&chimes] { ++chimes; }, QStringLiteral("程序更新完毕！"));
        EXPECT_EQ(chimes, 1);
        EXPECT_EQ(window.size(), QSize(320, 114));
        EXPECT_TRUE(window.windowTitle().isEmpty());
        EXPECT_EQ(child<QLabel>(&window, QStringLiteral("promptLabel"))->text(),
                  QStringLiteral("程序更新完毕！"));

        QSignalSpy finished(&window, &QDialog::finished);
        window.open();
        if (byButton) {
            auto* ok = child<QPushButton>(&window, QStringLiteral("okButton"));
            ASSERT_NE(ok, nullptr);
            EXPECT_EQ(ok->text(), QStringLiteral("确定"));
            QTest::mouseClick(ok, Qt::LeftButton);
        } else {
            window.close();
        }
        EXPECT_EQ(finished.count(), 1) << (byButton ? "确定" : "close");
    }
}

}  // namespace
}  // namespace lanzhou::updater
