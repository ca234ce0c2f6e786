#include "client/update/update_notice_window.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "client/core/texts.h"
#include "tests/gui/support/widget_lookup.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::test {
namespace {

const QString kOffer = QString::fromUtf8(core::text::kUpdateOffer);

class UpdateNoticeWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<update::UpdateNoticeWindow> open(const QString& text) {
        return std::make_unique<update::UpdateNoticeWindow>(
            frame, [this] { framedAtChime.push_back(frame.windows().size()); }, text);
    }

    template <typename T = QWidget>
    T* component(QWidget* window, const char* name) {
        return child<T>(window, QString::fromUtf8(name));
    }

    skin::SkinFrame frame;
    std::vector<qsizetype> framedAtChime;  // framed windows when each chime played
};

TEST_F(UpdateNoticeWindowTest, DesignLayoutWithTheOffer) {
    auto window = open(kOffer);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("发现新的版本："));
    EXPECT_EQ(window->size(), QSize(289, 114));
    EXPECT_TRUE(frame.isAttached(window.get()));
    EXPECT_EQ(window->property("Vuziz_StatusHeight").toInt(), 0);
    // The chime once, before the frame was attached.
    EXPECT_EQ(framedAtChime, std::vector<qsizetype>{0});
    EXPECT_EQ(frame.windows().size(), 1);

    auto* panel = component(window.get(), "画板1");
    auto* cancel = component<QPushButton>(window.get(), "按钮2");
    auto* ok = component<QPushButton>(window.get(), "按钮1");
    auto* label = component<QLabel>(window.get(), "标签1");
    ASSERT_TRUE(panel && cancel && ok && label);
    EXPECT_EQ(panel->geometry(), QRect(136, 16, 48, 16));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(cancel->geometry(), QRect(171, 72, 77, 27));
    EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
    EXPECT_EQ(ok->geometry(), QRect(45, 74, 77, 27));
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_EQ(label->geometry(), QRect(0, 38, 289, 26));
    EXPECT_EQ(label->text(), kOffer);
}

TEST_F(UpdateNoticeWindowTest, LongTextWidensTheWindowAndCentresOk) {
    auto probe = open(QString());
    const int letter =
        QFontMetrics(component(probe.get(), "画板1")->font()).horizontalAdvance(QLatin1Char('A'));
    ASSERT_GT(letter, 0);
    // Enough Chinese characters (2 GBK bytes each) to pass 320 pixels.
    const int characters = 320 / (2 * letter) + 10;
    const int estimate = characters * 2 * letter;
    const QString text(characters, QChar(0x7248));  // 版

    auto window = open(text);
    EXPECT_EQ(window->size(), QSize(estimate + 16, 114));
    auto* label = component<QLabel>(window.get(), "标签1");
    EXPECT_EQ(label->geometry(), QRect(0, 38, estimate + 12, 26));
    EXPECT_EQ(label->text(), text);
    EXPECT_EQ(component(window.get(), "按钮1")->pos(), QPoint((estimate + 16) / 2 - 38, 74));
    EXPECT_EQ(component(window.get(), "按钮2")->pos(), QPoint(171, 72));
}

TEST_F(UpdateNoticeWindowTest, OkAcceptsCancelAndCloseReject) {
    struct Case {
        const char* how;
        int result;
    };
    const Case cases[] = {
        {"按钮1", QDialog::Accepted}, {"按钮2", QDialog::Rejected}, {"close", QDialog::Rejected}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        auto window = open(kOffer);
        QSignalSpy finished(window.get(), &QDialog::finished);
        window->show();
        if (QByteArray(c.how) == "close") {
            window->close();
        } else {
            QTest::mouseClick(component<QPushButton>(window.get(), c.how), Qt::LeftButton);
        }
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished.at(0).at(0).toInt(), c.result);
        EXPECT_FALSE(window->isVisible());
    }
}

}  // namespace
}  // namespace lanzhou::test
