#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <string>

#include "client/settings/colour_box.h"
#include "tests/gui/settings/settings_window_fixture.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::test {
namespace {

using SettingsWindowSkin = SettingsWindowTest;
using SettingsWindowSound = SettingsWindowTest;

// What a click on an entry of the drop-down list does.
void activate(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void writePicture(const QString& path, const QColor& colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG"));
}

TEST_F(SettingsWindowSkin, AColourSetsTheFrameAndIsWritten) {
    for (const bool mainWindow : {false, true}) {
        SCOPED_TRACE(mainWindow);
        mainWindowExists = mainWindow;
        labelRefreshes = 0;
        frame.SetColour(QColor(1, 2, 3));
        open();
        auto* box = component<settings::ColourBox>("颜色_选择框");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->currentIndex(), 0);  // its own default, not the frame's colour

        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);  // the second standard colour, 0x800000
        EXPECT_EQ(frame.colour(), QColor(128, 0, 0));
        EXPECT_FALSE(frame.hasPicture());
        EXPECT_EQ(config.read("bx"), "0");
        EXPECT_EQ(config.read("bcolour"), "128");  // 0x00BBGGRR
        EXPECT_EQ(labelRefreshes, mainWindow ? 0 : 1);

        activate(box, 12);  // blue
        EXPECT_EQ(frame.colour(), QColor(0, 0, 255));
        EXPECT_EQ(config.read("bcolour"), std::to_string(0xFF0000));
    }
}

TEST_F(SettingsWindowSkin, ACustomColourIsAskedForAndKeptAsAnEntry) {
    open();
    auto* box = component<settings::ColourBox>("颜色_选择框");
    ASSERT_NE(box, nullptr);
    activate(box, 9);  // red
    std::vector<QColor> initials;
    QColor answer(0x12, 0x34, 0x56);
    box->setCustomChooser([&](QWidget*, const QColor& initial) {
        initials.push_back(initial);
        return answer;
    });

    const int entries = box->count();
    activate(box, box->customEntryIndex());
    ASSERT_EQ(initials.size(), 1u);
    EXPECT_EQ(initials[0], QColor(255, 0, 0));
    EXPECT_EQ(frame.colour(), answer);
    EXPECT_EQ(config.read("bcolour"), std::to_string(0x563412));
    EXPECT_EQ(box->currentColour(), answer);
    EXPECT_EQ(box->count(), entries + 1);

    // Cancelled: nothing applied or written, the last colour still shown.
    answer = QColor();
    const std::string before = configBytes();
    activate(box, box->customEntryIndex());
    EXPECT_EQ(configBytes(), before);
    EXPECT_EQ(frame.colour(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(box->currentColour(), QColor(0x12, 0x34, 0x56));

    // Another custom colour takes the same entry.
    answer = QColor(1, 2, 3);
    activate(box, box->customEntryIndex());
    EXPECT_EQ(box->count(), entries + 1);
    EXPECT_EQ(config.read("bcolour"), std::to_string(0x030201));
}

TEST_F(SettingsWindowSkin, APictureSetsTheFrameAndIsWritten) {
    const QString picture = runFile(QStringLiteral("天空.png"));
    writePicture(picture, QColor(10, 120, 200));
    open();
    activate(component<QComboBox>("颜色_选择框"), 1);
    labelRefreshes = 0;

    answers = {picture};
    QTest::mouseClick(component<QPushButton>("图片_按钮"), Qt::LeftButton);
    EXPECT_TRUE(frame.hasPicture());
    EXPECT_EQ(frame.colour(), QColor(10, 120, 200));
    EXPECT_EQ(config.read("bx"), "1");
    EXPECT_EQ(config.read("bpic"), G(QDir::toNativeSeparators(picture).toStdString()));
    EXPECT_EQ(config.read("bcolour"), "128");  // kept, unused while bx is "1"
    EXPECT_EQ(labelRefreshes, 1);

    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].caption, QStringLiteral("选择图片"));
    EXPECT_EQ(fileRequests[0].folder, QDir::toNativeSeparators(runFile(QStringLiteral("ico"))));
    for (const char* pattern : {"*.png", "*.jpg", "*.bmp", "*.gif"}) {
        EXPECT_TRUE(fileRequests[0].filter.contains(QLatin1String(pattern))) << pattern;
    }

    // The next dialog starts at the chosen picture.
    QTest::mouseClick(component<QPushButton>("图片_按钮"), Qt::LeftButton);
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[1].folder, picture);
}

TEST_F(SettingsWindowSkin, ACancelledPictureWritesNothingButRefreshesAtLogin) {
    for (const bool mainWindow : {false, true}) {
        SCOPED_TRACE(mainWindow);
        mainWindowExists = mainWindow;
        labelRefreshes = 0;
        const std::string before = configBytes();
        open();
        QTest::mouseClick(component<QPushButton>("图片_按钮"), Qt::LeftButton);
        EXPECT_EQ(configBytes(), before);
        EXPECT_FALSE(frame.hasPicture());
        EXPECT_EQ(labelRefreshes, mainWindow ? 0 : 1);
    }
}

TEST_F(SettingsWindowSound, TheChosenFileIsKeptAndWritten) {
    const QString sound = runFile(QStringLiteral("提示音.wav"));
    open();
    answers = {sound};
    QTest::mouseClick(component<QPushButton>("声音_按钮"), Qt::LeftButton);
    const std::string expected = G(QDir::toNativeSeparators(sound).toStdString());
    EXPECT_EQ(session.soundFile, expected);
    EXPECT_EQ(config.read("pmusic"), expected);
    EXPECT_EQ(labelRefreshes, 0);

    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].caption, QStringLiteral("选择声音"));
    EXPECT_EQ(fileRequests[0].folder, QDir::toNativeSeparators(runFile(QStringLiteral("music"))));
    EXPECT_TRUE(fileRequests[0].filter.contains(QLatin1String("*.wav")));
    EXPECT_TRUE(fileRequests[0].filter.contains(QLatin1String("*.mid")));

    // Cancelled: the next dialog starts at the last choice, nothing changes.
    const std::string before = configBytes();
    QTest::mouseClick(component<QPushButton>("声音_按钮"), Qt::LeftButton);
    ASSERT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(fileRequests[1].folder, sound);
    EXPECT_EQ(session.soundFile, expected);
    EXPECT_EQ(configBytes(), before);
}

}  // namespace
}  // namespace lanzhou::test
