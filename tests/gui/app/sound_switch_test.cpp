// The alert sound in the running client, heard through SDL's disk driver:
// a popup with the sound switch on plays the configured file; the sound
// switch off, or popups off, leave the output silent.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "client/app/desktop_client.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/test_sounds.h"
#include "tests/support/fake_service.h"
#include "tests/support/gbk_literal.h"
#include "ui/sound/sound_player.h"

namespace lanzhou::test {
namespace {

constexpr int kWait = 10'000;

struct Switches {
    const char* hint1;  // sound
    const char* hint2;  // popups
    bool audible;
};

class SoundSwitch : public ::testing::TestWithParam<Switches> {
protected:
    void SetUp() override {
        QDir(m_run.path()).mkpath(QStringLiteral("music"));
        QFile wave(m_run.filePath(QStringLiteral("music/tone.wav")));
        ASSERT_TRUE(wave.open(QIODevice::WriteOnly));
        wave.write(toneWave());
        wave.close();
        QFile config(m_run.filePath(QStringLiteral("k_config.ini")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            QByteArray("[config]\r\nxl=0\r\nbx=0\r\nbcolour=178\r\npmusic=\\music\\tone.wav"
                       "\r\nhint1=") +
            GetParam().hint1 + "\r\nhint2=" + GetParam().hint2 + "\r\n");
    }

    bool audible() const { return soundWrittenTo(m_output); }

    QTemporaryDir m_run;
    QString m_output = m_run.filePath(QStringLiteral("out.raw"));
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv m_file{"SDL_DISKAUDIOFILE", QFile::encodeName(m_output)};
};

TEST_P(SoundSwitch, ANewAlertIsHeardOnlyWithBothSwitchesOn) {
    FakeService service;
    RecordingPrompts prompts;
    {
        app::DesktopClient client(clientOptions(m_run, service.port(), &prompts));
        ASSERT_TRUE(client.start());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return client.core().session().settings.popupCloseTicks != 0; }, kWait));

        protocol::AlertRecord alert;
        alert.id = "7001";
        alert.time = protocol::formatDateTime(service.script().now);
        alert.code = "600777";
        alert.name = G("声音测试");
        alert.audience = "0";  // before login the member counts as free
        alert.popup = "1";
        service.publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, alert));

        if (GetParam().audible) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return client.popup() != nullptr; }, kWait));
            if (!QFile::exists(m_output)) {
                GTEST_SKIP() << "SDL has no disk audio driver here";
            }
            EXPECT_TRUE(QTest::qWaitFor([&] { return audible(); }, kWait));
        } else {
            QTest::qWait(500);  // long enough for the popup and a sound to start
            EXPECT_EQ(client.popup() != nullptr, QByteArray(GetParam().hint2) == "1");
        }
    }
    if (!GetParam().audible) {
        const bool silent = !audible();
        // The positive control: the same driver and file do take a sound,
        // so the silence above means something.
        display::SoundPlayer control;
        const bool played = control.play(toneWave());
        if (!played || !QFile::exists(m_output)) {
            GTEST_SKIP() << "SDL has no disk audio driver here";
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return audible(); }, kWait))
            << "the control was not heard";
        EXPECT_TRUE(silent);
    }
}

INSTANTIATE_TEST_SUITE_P(Switches, SoundSwitch,
                         ::testing::Values(Switches{"1", "1", true}, Switches{"0", "1", false},
                                           Switches{"1", "0", false}, Switches{"yes", "1", false}));

}  // namespace
}  // namespace lanzhou::test
