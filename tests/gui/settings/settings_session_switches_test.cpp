// Reconnecting, starting with the computer and quiet hours in the settings
// window: what it shows from the stored keys, each change written at once,
// nothing written without one, the keyboard and screen-reader side.

#include <QAccessible>
#include <QCheckBox>
#include <QTest>
#include <QTimeEdit>

#include <filesystem>
#include <string>
#include <vector>

#include "client/core/startup_settings.h"
#include "platform/autostart.h"
#include "tests/gui/settings/settings_window_fixture.h"
#include "tests/gui/support/scoped_env.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {
namespace {

using SettingsSessionSwitches = SettingsWindowTest;

QString shown(QTimeEdit* field) {
    return field->time().toString(QStringLiteral("HH:mm"));
}

TEST_F(SettingsSessionSwitches, OpensShowingTheStoredValuesAndWritesNothing) {
    struct Case {
        const char* what;
        bool reconnect;
        const char* from;
        const char* to;
        bool quiet;  // the box ticked, the fields enabled
        const char* shownFrom;
        const char* shownTo;
    };
    const Case cases[] = {
        {"on, wrapping midnight", true, "22:30", "07:15", true, "22:30", "07:15"},
        {"on, within a day", false, "12:00", "13:30", true, "12:00", "13:30"},
        {"equal: off", false, "08:00", "08:00", false, "08:00", "08:00"},
        {"missing: off", true, "", "", false, "22:00", "07:00"},
        {"malformed: off", false, "25:00", "7:00", false, "22:00", "07:00"},
        {"one malformed: off", false, "09:00", "x", false, "09:00", "07:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.reconnect = c.reconnect;
        session.quietFrom = c.from;
        session.quietTo = c.to;
        const std::string before = configBytes();
        open();
        EXPECT_EQ(component<QCheckBox>("重连_选择框")->isChecked(), c.reconnect);
        EXPECT_EQ(component<QCheckBox>("免打扰_选择框")->isChecked(), c.quiet);
        auto* from = component<QTimeEdit>("开始_时间框");
        auto* to = component<QTimeEdit>("结束_时间框");
        EXPECT_EQ(shown(from), QString::fromUtf8(c.shownFrom));
        EXPECT_EQ(shown(to), QString::fromUtf8(c.shownTo));
        EXPECT_EQ(from->isEnabled(), c.quiet);
        EXPECT_EQ(to->isEnabled(), c.quiet);
        EXPECT_FALSE(component<QCheckBox>("自启_选择框")->isChecked());
        window->close();
        EXPECT_EQ(configBytes(), before);
        EXPECT_TRUE(prompts.prompts.empty());
    }
}

TEST_F(SettingsSessionSwitches, ReconnectIsWrittenAtEachClickAndReadAtTheNextStart) {
    open();
    auto* box = component<QCheckBox>("重连_选择框");
    for (const bool expected : {true, false, true}) {
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(session.reconnect, expected);
        EXPECT_EQ(config.read("reconnect"), expected ? "1" : "0");
        EXPECT_EQ(core::readStartupSettings(config, runDirectory()).reconnect, expected);
    }
}

TEST_F(SettingsSessionSwitches, QuietHoursAreWrittenAtEachChangeAndEmptiedWhenUnticked) {
    open();
    auto* box = component<QCheckBox>("免打扰_选择框");
    auto* from = component<QTimeEdit>("开始_时间框");
    auto* to = component<QTimeEdit>("结束_时间框");

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(from->isEnabled());
    EXPECT_TRUE(to->isEnabled());
    EXPECT_EQ(config.read("quiet_from"), "22:00");
    EXPECT_EQ(config.read("quiet_to"), "07:00");
    EXPECT_EQ(session.quietFrom, "22:00");
    EXPECT_EQ(session.quietTo, "07:00");

    // The keyboard steps the hour of the field: each step is written.
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Up);
    EXPECT_EQ(config.read("quiet_from"), "23:00");
    to->setFocus();
    QTest::keyClick(to, Qt::Key_Down);
    EXPECT_EQ(config.read("quiet_to"), "06:00");
    const core::StartupSettings next = core::readStartupSettings(config, runDirectory());
    EXPECT_EQ(next.quietFrom, "23:00");
    EXPECT_EQ(next.quietTo, "06:00");
    EXPECT_EQ(session.quietFrom, "23:00");
    EXPECT_EQ(session.quietTo, "06:00");

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(from->isEnabled());
    EXPECT_FALSE(to->isEnabled());
    EXPECT_EQ(config.read("quiet_from"), "");
    EXPECT_EQ(config.read("quiet_to"), "");
    EXPECT_EQ(session.quietFrom, "");
    EXPECT_EQ(session.quietTo, "");

    // Opened again: off, the fields back at their suggestion.
    open();
    EXPECT_FALSE(component<QCheckBox>("免打扰_选择框")->isChecked());
    EXPECT_EQ(shown(component<QTimeEdit>("开始_时间框")), QStringLiteral("22:00"));
}

TEST_F(SettingsSessionSwitches, AutostartRegistersTheProgramAndWritesItsKey) {
    const std::string name(platform::kAutostartName);
    open();
    auto* box = component<QCheckBox>("自启_选择框");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(std::filesystem::is_regular_file(
        std::filesystem::path(m_configHome.path().toStdU16String()) / "autostart" /
        (name + ".desktop")));
    EXPECT_EQ(platform::registeredAutostartCommand(name),
              platform::autostartCommand(platform::executablePath()));
    EXPECT_EQ(config.read("autostart"), "1");
    EXPECT_TRUE(core::readStartupSettings(config, runDirectory()).autostart);

    open();  // shows the entry as it is
    box = component<QCheckBox>("自启_选择框");
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(platform::isAutostartRegistered(name));
    EXPECT_EQ(config.read("autostart"), "0");
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(SettingsSessionSwitches, AnEntryThatCannotBeWrittenIsPromptedAndLeftUnticked) {
    // The configuration home is a file: no autostart folder can be made.
    QTemporaryDir scratch;
    const QString file = scratch.filePath(QStringLiteral("file"));
    ASSERT_TRUE(platform::writeFileAtomically(std::filesystem::path(file.toStdU16String()), "x"));
    const ScopedEnv home("XDG_CONFIG_HOME", file.toUtf8());
    const std::string before = configBytes();
    open();
    auto* box = component<QCheckBox>("自启_选择框");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(display::fromGbk(prompts.prompts[0]),
              QStringLiteral("无法设置开机自动启动：系统的自动启动项写入失败。"));
    EXPECT_EQ(configBytes(), before);
}

TEST_F(SettingsSessionSwitches, ControlsAreNamedAndTabbedInReadingOrder) {
    session.quietFrom = "22:00";
    session.quietTo = "07:00";
    open();
    const std::vector<const char*> order = {
        "颜色_选择框", "图片_按钮",   "声音_按钮",   "声音_选择框",   "弹出_选择框", "电信_单选框",
        "网通_单选框", "重连_选择框", "自启_选择框", "免打扰_选择框", "开始_时间框", "结束_时间框",
    };
    std::vector<QString> chain;
    QWidget* widget = window.get();
    do {
        widget = widget->nextInFocusChain();
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty() &&
            !widget->objectName().startsWith(QStringLiteral("qt_"))) {
            chain.push_back(widget->objectName());
        }
    } while (widget != window.get());
    std::vector<QString> expected;
    for (const char* name : order) {
        expected.push_back(QString::fromUtf8(name));
    }
    EXPECT_EQ(chain, expected);

    for (const char* name : order) {
        SCOPED_TRACE(name);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(component(name));
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
    }
}

}  // namespace
}  // namespace lanzhou::test
