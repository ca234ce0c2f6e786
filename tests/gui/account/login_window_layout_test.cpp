// The login window's components: names, kinds, texts and places, and how
// the labels, the password edit and the picture buttons present themselves.

#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <QSet>
#include <QTimer>

#include "client/account/picture_button.h"
#include "tests/gui/account/login_window_fixture.h"
#include "ui/html/html_view.h"

namespace lanzhou::test {
namespace {

using LoginWindowLayout = LoginWindowTest;

struct ComponentRow {
    const char* name;
    const char* kind;  // class the component is (or inherits)
    const char* text;  // label or button text; nullptr: none checked
    QRect geometry;
};

QString textOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    return {};
}

TEST_F(LoginWindowLayout, EveryComponentHasItsNameKindTextAndPlace) {
    const ComponentRow rows[] = {
        {"标签3", "QLabel", "账  号：", {50, 135, 51, 18}},
        {"登陆_ad1", "QLineEdit", "", {118, 134, 166, 20}},
        {"标签4", "QLabel", "密  码：", {50, 174, 51, 18}},
        {"登陆_ad2", "QLineEdit", "", {118, 173, 166, 20}},
        {"按钮3", "QPushButton", "登 陆", {321, 132, 83, 63}},
        {"选择框1", "QCheckBox", "", {85, 213, 12, 12}},
        {"标签5", "QLabel", "记住密码", {104, 211, 56, 16}},
        {"注册_标签", "QLabel", "注册账号", {204, 211, 56, 16}},
        {"充值_标签", "QLabel", "账号充值", {305, 211, 56, 16}},
        {"外形框1", "QFrame", nullptr, {32, 102, 384, 1}},
        {"外形框2", "QFrame", nullptr, {32, 247, 384, 1}},
        {"图形按钮1", "QAbstractButton", "", {32, 253, 74, 22}},
        {"图形按钮2", "QAbstractButton", "", {337, 255, 80, 18}},
        {"互联网浏览器1", "lanzhou::display::HtmlView", nullptr, {2, 279, 448, 122}},
    };
    EXPECT_EQ(window->objectName(), "LoginWindow");
    EXPECT_EQ(window->size(), QSize(452, 428));
    for (const ComponentRow& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* widget = component(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(row.kind)) << widget->metaObject()->className();
        EXPECT_EQ(widget->parentWidget(), window.get());
        EXPECT_EQ(widget->geometry(), row.geometry);
        if (row.text) {
            EXPECT_EQ(textOf(widget), QString::fromUtf8(row.text));
        }
    }
}

TEST_F(LoginWindowLayout, FixedSizeAndNoTimersOfItsOwn) {
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_TRUE(window->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
}

TEST_F(LoginWindowLayout, LabelsAreTransparentInTheFramesFont) {
    for (const char* name : {"标签3", "标签4", "标签5", "注册_标签", "充值_标签"}) {
        SCOPED_TRACE(name);
        auto* label = component<QLabel>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_FALSE(label->autoFillBackground());
        EXPECT_EQ(label->font().family(), QStringLiteral("宋体"));
        EXPECT_EQ(label->font().pixelSize(), 12);
    }
    EXPECT_EQ(component("注册_标签")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(component("充值_标签")->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(LoginWindowLayout, SeparatorsAreLightGreyLines) {
    for (const char* name : {"外形框1", "外形框2"}) {
        SCOPED_TRACE(name);
        auto* line = component<QFrame>(name);
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->autoFillBackground());
        EXPECT_EQ(line->palette().color(QPalette::Window), QColor(0xEC, 0xEC, 0xEC));
    }
}

TEST_F(LoginWindowLayout, PasswordShowsOneStarPerCharacter) {
    auto* password = component<QLineEdit>("登陆_ad2");
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    password->setText(QStringLiteral("密码ab"));
    EXPECT_EQ(password->displayText(), QStringLiteral("****"));
    EXPECT_EQ(component<QLineEdit>("登陆_ad1")->echoMode(), QLineEdit::Normal);
}

TEST_F(LoginWindowLayout, PictureButtonsStartHiddenWithPicturesOfTheirSize) {
    for (const char* name : {"图形按钮1", "图形按钮2"}) {
        SCOPED_TRACE(name);
        auto* button = component<account::PictureButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isHidden());
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
        const QPixmap& picture = button->picture();
        EXPECT_EQ(picture.deviceIndependentSize().toSize(), button->size());
        // A drawing, not a blank: several colours, an opaque middle.
        const QImage image = picture.toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                colours.insert(image.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 3);
        EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 3)), 255);
    }
}

}  // namespace
}  // namespace lanzhou::test
