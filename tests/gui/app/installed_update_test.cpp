// An installed copy (its run directory is not the program's folder) is
// updated by its package: a newer version is announced once per start, and
// nothing is handed to the updater, which would unpack beside the per-user
// files and record a version that was never installed.

#include <QFile>

#include "client/core/texts.h"
#include "client/update/embedded_updater.h"
#include "protocol/message_catalogue.h"
#include "tests/gui/app/client_fixture.h"

namespace lanzhou::test {
namespace {

class InstalledUpdate : public RunningClient {};

TEST_F(InstalledUpdate, ANewerVersionIsAnnouncedOnceAndNotHandedToTheUpdater) {
    m_programInRunDirectory = false;
    {
        QFile version(m_run.filePath(QStringLiteral("ver.txt")));
        ASSERT_TRUE(version.open(QIODevice::WriteOnly));
        version.write("27");
    }
    FakeServiceScript script = demoScript();
    script.version = {28, "http://127.0.0.1:9/lanzhou-28.zip"};
    start(std::move(script));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_prompts.prompts.empty(); }, kWait));
    EXPECT_EQ(m_prompts.prompts,
              (std::vector<std::string>{core::gbk(core::text::kUpdateByPackage)}));

    // A second bulletin asks again; the member has been told.
    m_service->publish(protocol::answer::bulletin("<p>again</p>"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_client->core().session().loginBulletin == "<p>again</p>"; }, kWait));
    QTest::qWait(200);  // the version check runs 10 ms after the bulletin
    EXPECT_EQ(m_prompts.prompts.size(), 1u);

    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no update offer window";
    EXPECT_TRUE(m_launches.empty());
    EXPECT_FALSE(m_exitCode.has_value());
    EXPECT_FALSE(QFile::exists(m_run.filePath(QString::fromStdString(update::updaterFileName()))));
    QFile version(m_run.filePath(QStringLiteral("ver.txt")));
    ASSERT_TRUE(version.open(QIODevice::ReadOnly));
    EXPECT_EQ(version.readAll(), "27");
}

}  // namespace
}  // namespace lanzhou::test
