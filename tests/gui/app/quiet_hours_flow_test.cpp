// Quiet hours in the running client: an alert is listed without a popup or
// its sound; once the server's clock has left them, one silent summary popup
// tells how many came, and the next alert pops up and is heard again.

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "client/app/desktop_client.h"
#include "client/display/message_window.h"
#include "platform/do_not_disturb.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/page_reading.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/scoped_env.h"
#include "tests/gui/support/test_sounds.h"
#include "tests/support/fake_service.h"
#include "tests/support/gbk_literal.h"
#include "ui/html/html_view.h"

namespace lanzhou::test {
namespace {

constexpr int kWait = 15'000;

QByteArray clockText(const protocol::DateTime& time) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    return text;
}

class QuietHoursFlow : public ::testing::Test {
protected:
    QuietHoursFlow() { platform::overrideDesktopDoNotDisturb(false); }
    ~QuietHoursFlow() override { platform::overrideDesktopDoNotDisturb(false); }

    // Sound and popups on, the alert sound a tone, quiet hours from the
    // minute of the server's "#TM" for ten minutes.
    void writeSettings(const protocol::DateTime& now) {
        QDir(m_run.path()).mkpath(QStringLiteral("music"));
        QFile wave(m_run.filePath(QStringLiteral("music/tone.wav")));
        ASSERT_TRUE(wave.open(QIODevice::WriteOnly));
        wave.write(toneWave());
        wave.close();
        QFile config(m_run.filePath(QStringLiteral("k_config.ini")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            "[config]\r\nxl=0\r\nbx=0\r\nbcolour=178\r\npmusic=\\music\\tone.wav\r\n"
            "hint1=1\r\nhint2=1\r\nquiet_from=" +
            clockText(now) + "\r\nquiet_to=" + clockText(now.plusSeconds(600)) + "\r\n");
    }

    std::string alert(std::string id, std::string code) const {
        protocol::AlertRecord record;
        record.id = std::move(id);
        record.time = protocol::formatDateTime(m_service.script().now);
        record.code = std::move(code);
        record.name = G("静音测试");
        record.audience = "0";  // before login the member counts as free
        record.popup = "1";
        return protocol::answer::alert(protocol::ServerCode::AlertAdded, record);
    }

    bool audible() const { return soundWrittenTo(m_output); }

    FakeService m_service;
    RecordingPrompts m_prompts;
    QTemporaryDir m_run;
    QString m_output = m_run.filePath(QStringLiteral("out.raw"));
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv m_file{"SDL_DISKAUDIOFILE", QFile::encodeName(m_output)};
};

TEST_F(QuietHoursFlow, AlertsAreListedSilentlyThenOneSilentSummaryTellsTheirNumber) {
    const protocol::DateTime now = m_service.script().now;
    writeSettings(now);
    app::DesktopClient client(clientOptions(m_run, m_service.port(), &m_prompts));
    ASSERT_TRUE(client.start());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return client.core().session().serverTime.now() != protocol::DateTime::zero(); },
        kWait));

    m_service.publish(alert("8001", "600881"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.core().alerts().placedCount() == 1; }, kWait));
    QTest::qWait(500);  // long enough for a popup and a sound to start
    EXPECT_EQ(client.popup(), nullptr);

    m_service.publish(protocol::answer::serverTime(now.plusSeconds(1200)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.popup() != nullptr; }, kWait));
    QPointer<display::HtmlView> content = client.popup()->findChild<display::HtmlView*>();
    ASSERT_TRUE(content);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return content && plainText(*content).contains("免打扰期间收到 1 条新预警"); },
        kWait));
    QTest::qWait(500);
    const bool silent = !audible();

    // The next alert is heard: the silence above means something.
    m_service.publish(alert("8002", "600882"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.core().alerts().placedCount() == 2; }, kWait));
    if (!QTest::qWaitFor([&] { return QFile::exists(m_output); }, kWait)) {
        GTEST_SKIP() << "SDL has no disk audio driver here";
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return audible(); }, kWait));
    EXPECT_TRUE(silent);
}

}  // namespace
}  // namespace lanzhou::test
