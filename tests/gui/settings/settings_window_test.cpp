#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "client/core/texts.h"
#include "tests/gui/settings/settings_window_fixture.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::test {
namespace {

using SettingsWindowLayout = SettingsWindowTest;
using SettingsWindowSwitches = SettingsWindowTest;
using SettingsWindowLine = SettingsWindowTest;
using SettingsWindowClose = SettingsWindowTest;

TEST_F(SettingsWindowLayout, EveryElementAtItsPlace) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("软件设置"));
    EXPECT_EQ(window->size(), QSize(379, 193));
    EXPECT_TRUE(frame.isAttached(window.get()));
    EXPECT_EQ(window->property("Vuziz_StatusHeight").toInt(), 0);

    struct Element {
        const char* name;
        QRect place;
        const char* text;  // "text" of labels and buttons, "title" of the group
    };
    const Element elements[] = {
        {"颜色_标签", {15, 30, 88, 24}, "选择皮肤颜色:"},
        {"颜色_选择框", {103, 31, 96, 20}, nullptr},
        {"图片_标签", {15, 66, 80, 24}, "选择皮肤图片:"},
        {"图片_按钮", {103, 66, 96, 24}, "选择图片"},
        {"声音_标签", {15, 103, 80, 24}, "选择声音文件:"},
        {"声音_按钮", {103, 105, 96, 24}, "选择声音"},
        {"声音_选择框", {214, 31, 120, 18}, "是否启动声音提示"},
        {"弹出_选择框", {214, 59, 120, 18}, "是否弹出消息提示"},
        {"线路_分组框", {208, 82, 159, 48}, "线路选择"},
        {"电信_单选框", {6, 20, 72, 16}, "电信线路"},
        {"网通_单选框", {83, 20, 72, 16}, "网通线路"},
        {"重连_选择框", {15, 139, 120, 18}, "断线后自动重连"},
        {"自启_选择框", {214, 139, 120, 18}, "开机自动启动"},
        {"免打扰_选择框", {15, 165, 84, 18}, "免打扰时段"},
        {"开始_时间框", {103, 163, 60, 22}, nullptr},
        {"至_标签", {167, 163, 16, 22}, "至"},
        {"结束_时间框", {187, 163, 60, 22}, nullptr},
    };
    for (const Element& e : elements) {
        SCOPED_TRACE(e.name);
        const QWidget* widget = component(e.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), e.place);
        if (e.text) {
            const char* property = qobject_cast<const QGroupBox*>(widget) ? "title" : "text";
            EXPECT_EQ(widget->property(property).toString(), QString::fromUtf8(e.text));
        }
    }
    auto* group = component("线路_分组框");
    EXPECT_EQ(component("电信_单选框")->parentWidget(), group);
    EXPECT_EQ(component("网通_单选框")->parentWidget(), group);
}

TEST_F(SettingsWindowLayout, OpensShowingTheSessionAndLeavesTheFileAlone) {
    struct Case {
        core::LineChoice line;
        bool sound;
        bool popup;
        bool telecomChecked;
        bool netcomChecked;
    };
    const Case cases[] = {
        {core::LineChoice::Telecom, true, false, true, false},
        {core::LineChoice::Netcom, false, true, false, true},
        {core::LineChoice::Netcom, true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.line));
        session.line = c.line;
        session.soundHint = c.sound;
        session.popupHint = c.popup;
        const std::string before = configBytes();
        open();
        EXPECT_EQ(component<QCheckBox>("声音_选择框")->isChecked(), c.sound);
        EXPECT_EQ(component<QCheckBox>("弹出_选择框")->isChecked(), c.popup);
        EXPECT_EQ(component<QRadioButton>("电信_单选框")->isChecked(), c.telecomChecked);
        EXPECT_EQ(component<QRadioButton>("网通_单选框")->isChecked(), c.netcomChecked);
        EXPECT_EQ(configBytes(), before);
        EXPECT_TRUE(prompts.prompts.empty());
    }
}

TEST_F(SettingsWindowSwitches, EachClickSetsTheSessionAndWritesItsKey) {
    struct Box {
        const char* name;
        const char* key;
        bool core::ClientSession::*flag;
        const char* otherKey;
        bool core::ClientSession::*otherFlag;
    };
    const Box boxes[] = {
        {"声音_选择框", "hint1", &core::ClientSession::soundHint, "hint2",
         &core::ClientSession::popupHint},
        {"弹出_选择框", "hint2", &core::ClientSession::popupHint, "hint1",
         &core::ClientSession::soundHint},
    };
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.name);
        session.*box.flag = true;
        session.*box.otherFlag = true;
        ASSERT_TRUE(config.write(box.otherKey, "1"));
        open();
        auto* check = component<QCheckBox>(box.name);
        ASSERT_NE(check, nullptr);

        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_FALSE(session.*box.flag);
        EXPECT_EQ(config.read(box.key), "0");

        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_TRUE(session.*box.flag);
        EXPECT_EQ(config.read(box.key), "1");

        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_TRUE(session.*box.otherFlag);
        EXPECT_EQ(config.read(box.otherKey), "1");
    }
    EXPECT_EQ(labelRefreshes, 0);
}

TEST_F(SettingsWindowLine, TheLineInUseChangesNothing) {
    for (const core::LineChoice line : {core::LineChoice::Telecom, core::LineChoice::Netcom}) {
        SCOPED_TRACE(static_cast<int>(line));
        session.line = line;
        const std::string before = configBytes();
        open();
        auto* radio = component<QRadioButton>(line == core::LineChoice::Telecom ? "电信_单选框"
                                                                                : "网通_单选框");
        ASSERT_NE(radio, nullptr);
        QTest::mouseClick(radio, Qt::LeftButton);
        EXPECT_TRUE(radio->isChecked());
        EXPECT_EQ(session.line, line);
        EXPECT_EQ(configBytes(), before);
        EXPECT_TRUE(prompts.prompts.empty());
    }
}

TEST_F(SettingsWindowLine, TheOtherLineIsWrittenAndPromptedOnce) {
    session.line = core::LineChoice::Netcom;
    ASSERT_TRUE(config.write("xl", "1"));
    open();
    auto* telecom = component<QRadioButton>("电信_单选框");
    auto* netcom = component<QRadioButton>("网通_单选框");

    QTest::mouseClick(telecom, Qt::LeftButton);
    EXPECT_EQ(session.line, core::LineChoice::Telecom);
    EXPECT_EQ(config.read("xl"), "0");
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0], G(core::text::kLineChanged));
    EXPECT_EQ(session.promptText, G(core::text::kLineChanged));
    EXPECT_TRUE(telecom->isChecked());
    EXPECT_FALSE(netcom->isChecked());

    QTest::mouseClick(telecom, Qt::LeftButton);
    EXPECT_EQ(prompts.prompts.size(), 1u);

    QTest::mouseClick(netcom, Qt::LeftButton);
    EXPECT_EQ(session.line, core::LineChoice::Netcom);
    EXPECT_EQ(config.read("xl"), "1");
    EXPECT_EQ(prompts.prompts.size(), 2u);
}

TEST_F(SettingsWindowClose, RefreshesTheLoginLabelsOnlyWithoutMainWindow) {
    for (const bool mainWindow : {false, true}) {
        SCOPED_TRACE(mainWindow);
        mainWindowExists = mainWindow;
        labelRefreshes = 0;
        open();
        window->close();  // what the frame's close button does
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(labelRefreshes, mainWindow ? 0 : 1);
    }
}

TEST_F(SettingsWindowClose, EscapeClosesLikeTheFrame) {
    open();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(labelRefreshes, 1);
}

}  // namespace
}  // namespace lanzhou::test
