#include "ui/skin/skin_frame.h"

#include "tests/gui/skin/mouse_input.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QWidget>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

namespace mouse = lanzhou::test::mouse;

struct Dialog {
    Dialog() {
        window.resize(300, 200);
        button->setGeometry(20, 40, 80, 26);
        check->setGeometry(20, 80, 120, 20);
        radio->setGeometry(10, 20, 100, 20);
        group->setGeometry(150, 40, 140, 100);
        edit->setGeometry(20, 110, 120, 22);
    }
    QWidget window;
    QPushButton* button = new QPushButton(QStringLiteral("登 陆"), &window);
    QCheckBox* check = new QCheckBox(QStringLiteral("记住密码"), &window);
    QGroupBox* group = new QGroupBox(&window);
    QRadioButton* radio = new QRadioButton(QStringLiteral("电信"), group);
    QLineEdit* edit = new QLineEdit(&window);
    QTextEdit* text = new QTextEdit(&window);
    QSpinBox* spin = new QSpinBox(&window);
    QLabel* label = new QLabel(QStringLiteral("账  号："), &window);
};

QString typeOf(const QWidget* control) {
    return control->property("Vuziz_WindowType").toString();
}
bool restyled(const QWidget* control) {
    return control->property("ZaderEdav_WndProc").toBool();
}

TEST(ControlRestyle, ButtonsCheckBoxesRadiosAndEditsAreRestyled) {
    SkinFrame frame;
    Dialog dialog;
    frame.Attach(&dialog.window);
    EXPECT_FALSE(restyled(dialog.button));  // not before RestyleChildren
    frame.RestyleChildren();

    EXPECT_EQ(typeOf(dialog.button), QStringLiteral("button"));
    EXPECT_EQ(typeOf(dialog.check), QStringLiteral("checkbox"));
    EXPECT_EQ(typeOf(dialog.radio), QStringLiteral("radio"));  // inside the group box
    EXPECT_TRUE(restyled(dialog.edit));
    EXPECT_TRUE(restyled(dialog.text));
    EXPECT_EQ(dialog.button->style(), dialog.check->style());  // one shared style
    EXPECT_EQ(dialog.edit->style(), dialog.button->style());
    EXPECT_NE(dialog.button->style(), dialog.window.style());

    EXPECT_FALSE(restyled(dialog.group));
    EXPECT_FALSE(restyled(dialog.label));
    EXPECT_FALSE(restyled(dialog.spin));
    EXPECT_FALSE(restyled(dialog.spin->findChild<QLineEdit*>()));  // the spin box's own edit
    EXPECT_EQ(dialog.button->property("Vuziz_DrawState").toInt(), 0);
}

TEST(ControlRestyle, WindowsAttachedLaterAreRestyledToo) {
    SkinFrame frame;
    frame.RestyleChildren();
    Dialog dialog;
    frame.Attach(&dialog.window);
    EXPECT_EQ(typeOf(dialog.check), QStringLiteral("checkbox"));

    // Pages of tabs added afterwards as well.
    auto* page = new QWidget;
    auto* pageButton = new QPushButton(QStringLiteral("刷新"), page);
    frame.AddTab(&dialog.window, {}, QStringLiteral("页"), page);
    EXPECT_EQ(typeOf(pageButton), QStringLiteral("button"));
}

TEST(ControlRestyle, CheckStateFollowsClicksAndCalls) {
    SkinFrame frame;
    Dialog dialog;
    dialog.check->setChecked(true);
    frame.Attach(&dialog.window);
    frame.RestyleChildren();
    dialog.window.show();
    EXPECT_EQ(dialog.check->property("Vuziz_bCheck").toInt(), 1);

    QTest::mouseClick(dialog.check, Qt::LeftButton);
    EXPECT_FALSE(dialog.check->isChecked());
    EXPECT_EQ(dialog.check->property("Vuziz_bCheck").toInt(), 0);
    QTest::mouseClick(dialog.check, Qt::LeftButton);
    EXPECT_EQ(dialog.check->property("Vuziz_bCheck").toInt(), 1);

    dialog.check->setTristate(true);
    dialog.check->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(dialog.check->property("Vuziz_bCheck").toInt(), 2);

    dialog.radio->setChecked(true);
    EXPECT_EQ(dialog.radio->property("Vuziz_bCheck").toInt(), 1);
}

TEST(ControlRestyle, DrawStateFollowsThePointer) {
    SkinFrame frame;
    Dialog dialog;
    frame.Attach(&dialog.window);
    frame.RestyleChildren();
    dialog.window.show();
    QPushButton* button = dialog.button;
    const auto state = [button] { return button->property("Vuziz_DrawState").toInt(); };

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(button->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(state(), 1);
    mouse::press(button, QPoint(5, 5));
    EXPECT_EQ(state(), 2);
    mouse::release(button, QPoint(5, 5));
    EXPECT_EQ(state(), 1);
    mouse::press(button, QPoint(5, 5));
    mouse::release(button, QPoint(300, 5));  // released elsewhere
    EXPECT_EQ(state(), 0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(state(), 0);
}

TEST(ControlRestyle, RestyledControlsPaintInTheFrameColour) {
    SkinFrame frame;
    frame.SetColour(QColor(0, 90, 180));
    frame.SetBaseColour(QColor(Qt::white));
    Dialog dialog;
    frame.Attach(&dialog.window);
    frame.RestyleChildren();
    dialog.window.show();
    const QImage button = dialog.button->grab().toImage();
    const QColor middle = button.pixelColor(button.width() / 2, button.height() - 4);
    EXPECT_GT(middle.blue(), middle.red() + 60) << "the button is drawn in the frame colour";
    const QImage edit = dialog.edit->grab().toImage();
    const QColor border = edit.pixelColor(edit.width() / 2, 0);
    EXPECT_GT(border.blue(), border.red()) << "the edit's border is in the frame colour";
}

TEST(ControlRestyle, ControlsOutliveTheFrame) {
    Dialog dialog;
    {
        SkinFrame frame;
        frame.Attach(&dialog.window);
        frame.RestyleChildren();
        ASSERT_NE(dialog.button->style(), dialog.window.style());
    }
    EXPECT_EQ(dialog.button->style(), dialog.window.style());
    dialog.window.show();
    EXPECT_FALSE(dialog.window.grab().isNull());
    QTest::mouseClick(dialog.check, Qt::LeftButton);
    EXPECT_TRUE(dialog.check->isChecked());
}

}  // namespace
}  // namespace lanzhou::skin
