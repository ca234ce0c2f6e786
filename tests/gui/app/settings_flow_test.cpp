// The settings window in the running client: what it changes takes effect
// at once (sound and popups for the next alert, the frame's colour) and the
// line choice asks for a restart only when it changes the line; the file is
// left alone when nothing changes, and what changed is there at the next
// start.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTimeEdit>

#include <algorithm>

#include "client/core/texts.h"
#include "client/display/main_window.h"
#include "client/settings/colour_box.h"
#include "client/settings/settings_window.h"
#include "platform/file_io.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/gui/app/client_fixture.h"
#include "tests/gui/support/test_sounds.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::test {
namespace {

// Opens the settings window of the running client.
class SettingsOpener : public RunningClient {
protected:
    // Opens the settings window with the frame's main-menu button of
    // `window` and runs `work` in it.
    void inSettings(QWidget* window, std::function<void(QWidget*)> work) {
        bool ran = false;
        whenModalOpens([&](QWidget* settings) {
            EXPECT_NE(qobject_cast<settings::SettingsWindow*>(settings), nullptr);
            work(settings);
            ran = true;
            settings->close();
        });
        const auto button =
            m_client->frame().captionButtonRect(window, skin::CaptionButton::MainMenu);
        ASSERT_TRUE(button.has_value());
        QTest::mouseClick(window, Qt::LeftButton, {}, button->center());
        EXPECT_TRUE(ran);
    }
};

class SettingsFlow : public SettingsOpener {
protected:
    void SetUp() override {
        QDir(m_run.path()).mkpath(QStringLiteral("music"));
        QFile wave(m_run.filePath(QStringLiteral("music/tone.wav")));
        ASSERT_TRUE(wave.open(QIODevice::WriteOnly));
        wave.write(toneWave());
        wave.close();
        QFile file(m_run.filePath(QStringLiteral("k_config.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "[config]\r\nxl=0\r\nbx=0\r\nbcolour=178\r\npmusic=\\music\\tone.wav\r\n"
            "hint1=1\r\nhint2=1\r\n");
    }

    void publishAlert(const char* id) {
        protocol::AlertRecord alert;
        alert.id = id;
        alert.time = protocol::formatDateTime(m_service->script().now);
        alert.code = "600777";
        alert.name = G("设置测试");
        alert.audience = "0";  // before login the member counts as free
        alert.popup = "1";
        m_service->publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, alert));
    }

    bool audible() const { return soundWrittenTo(m_output); }

    QString m_output = m_run.filePath(QStringLiteral("out.raw"));
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv m_file{"SDL_DISKAUDIOFILE", QFile::encodeName(m_output)};
};

TEST_F(SettingsFlow, UntickingTheSoundLeavesTheNextPopupSilent) {
    start();
    inSettings(&login(), [](QWidget* settings) {
        auto* sound = child<QCheckBox>(settings, "声音_选择框");
        ASSERT_TRUE(sound->isChecked());
        sound->click();
    });
    EXPECT_EQ(config().read("hint1"), "0");
    EXPECT_FALSE(m_client->core().session().soundHint);

    publishAlert("8001");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, kWait));
    QTest::qWait(500);  // long enough for a sound to start
    EXPECT_FALSE(audible());
}

TEST_F(SettingsFlow, UntickingPopupsShowsNoPopupForTheNextAlert) {
    start();
    inSettings(&login(),
               [](QWidget* settings) { child<QCheckBox>(settings, "弹出_选择框")->click(); });
    EXPECT_EQ(config().read("hint2"), "0");

    publishAlert("8002");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_client->core().alerts().list(core::AlertListId::Today).rowCount() > 0; },
        kWait));
    QTest::qWait(200);
    EXPECT_EQ(m_client->popup(), nullptr);
    EXPECT_FALSE(audible());
}

TEST_F(SettingsFlow, AColourRecoloursTheFrameOfTheOpenWindows) {
    start();
    const QColor before = m_client->frame().colour();
    QColor chosen;
    inSettings(&login(), [&](QWidget* settings) {
        auto* box = child<settings::ColourBox>(settings, "颜色_选择框");
        // The last standard entry other than the current colour.
        for (int i = box->count() - 1; i >= 0 && !chosen.isValid(); --i) {
            const QColor colour = box->itemData(i).value<QColor>();
            if (colour.isValid() && colour != before) {
                box->setCurrentIndex(i);
                emit box->activated(i);
                chosen = colour;
            }
        }
    });
    ASSERT_TRUE(chosen.isValid());
    EXPECT_EQ(m_client->frame().colour(), chosen);
    EXPECT_EQ(config().read("bx"), "0");
    EXPECT_EQ(config().read("bcolour"), std::to_string(skin::toColorRef(chosen)));
}

TEST_F(SettingsFlow, TheLinePromptComesOnceAndNotForTheLineInUse) {
    start();
    const auto lineChanged = core::gbk(core::text::kLineChanged);
    const auto count = [&] {
        return std::count(m_prompts.prompts.begin(), m_prompts.prompts.end(), lineChanged);
    };
    inSettings(&login(), [&](QWidget* settings) {
        child<QRadioButton>(settings, "电信_单选框")->click();  // the line in use
        EXPECT_EQ(count(), 0);
        child<QRadioButton>(settings, "网通_单选框")->click();
        child<QRadioButton>(settings, "网通_单选框")->click();
        EXPECT_EQ(count(), 1);
    });
    EXPECT_EQ(config().read("xl"), "1");
    EXPECT_EQ(m_client->core().session().line, core::LineChoice::Netcom);
}

// The client's own k_config.ini, as it wrote it.
class SettingsNextStart : public SettingsOpener {
protected:
    std::string configBytes() const {
        return platform::readFile(m_run.filePath(QStringLiteral("k_config.ini")).toStdString())
            .value_or("");
    }

    QTemporaryDir m_configHome;
    ScopedEnv m_configHomeVariable{"XDG_CONFIG_HOME", m_configHome.path().toUtf8()};
};

TEST_F(SettingsNextStart, LookingWithoutChangingLeavesTheDefaultFileByteForByte) {
    start();
    const std::string created = configBytes();
    ASSERT_FALSE(created.empty());
    inSettings(&login(), [](QWidget*) {});
    EXPECT_EQ(configBytes(), created);
}

TEST_F(SettingsNextStart, ReconnectAndQuietHoursAreThereAtTheNextStart) {
    start();
    inSettings(&login(), [](QWidget* settings) {
        QTest::mouseClick(child<QCheckBox>(settings, "重连_选择框"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(settings, "免打扰_选择框"), Qt::LeftButton);
        auto* from = child<QTimeEdit>(settings, "开始_时间框");
        from->setFocus();
        QTest::keyClick(from, Qt::Key_Up);
    });
    m_client.reset();

    start();
    const core::ClientSession& session = m_client->core().session();
    EXPECT_TRUE(session.reconnect);
    EXPECT_EQ(session.quietFrom, "23:00");
    EXPECT_EQ(session.quietTo, "07:00");
    inSettings(&login(), [](QWidget* settings) {
        EXPECT_TRUE(child<QCheckBox>(settings, "重连_选择框")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(settings, "免打扰_选择框")->isChecked());
        EXPECT_EQ(child<QTimeEdit>(settings, "开始_时间框")->time(), QTime(23, 0));
    });
}

}  // namespace
}  // namespace lanzhou::test
