// The update offer in the running client: offered when the service's
// version is newer than ver.txt, handed to the updater the client carries
// (written only when missing) on "确定", declined with "取消" until the next
// bulletin.

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "client/update/embedded_updater.h"
#include "client/update/update_notice_window.h"
#include "protocol/message_catalogue.h"
#include "tests/gui/app/client_fixture.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {
namespace {

class UpdateOfferFlow : public RunningClient {
protected:
    void writeRunFile(const QString& name, const QByteArray& bytes) {
        QFile file(m_run.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static FakeServiceScript offering(std::int32_t version) {
        FakeServiceScript script = demoScript();
        script.version = {version, "http://127.0.0.1:9/lanzhou-28.zip"};
        return script;
    }

    // Answers the next update offer with its button "按钮1" (确定) or
    // "按钮2" (取消); counts the offers.
    void answerOffer(const char* button) {
        whenModalOpens([this, button](QWidget* window) {
            ASSERT_NE(qobject_cast<update::UpdateNoticeWindow*>(window), nullptr);
            EXPECT_EQ(child<QLabel>(window, "标签1")->text(), "发现新的版本，请点击确定更新！");
            ++m_offers;
            child<QPushButton>(window, QString::fromUtf8(button))->click();
        });
    }

    int m_offers = 0;
};

TEST_F(UpdateOfferFlow, AcceptingWritesTheUpdaterStartsItAndEndsWithoutConfirmation) {
    writeRunFile("ver.txt", "27\r\n");
    answerOffer("按钮1");
    start(offering(28));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_exitCode.has_value(); }, kWait));
    EXPECT_EQ(m_exitCode, 0);
    EXPECT_EQ(m_prompts.confirmations, 0);

    ASSERT_EQ(m_launches.size(), 1u);
    const update::UpdaterLaunch& launch = m_launches[0];
    const std::filesystem::path run = m_run.path().toStdString();
    EXPECT_EQ(launch.program, run / update::updaterFileName());
    EXPECT_EQ(
        launch.arguments,
        (std::vector<std::string>{
            "28", "http://127.0.0.1:9/lanzhou-28.zip",
            QCoreApplication::applicationFilePath().section(QLatin1Char('/'), -1).toStdString()}));
    EXPECT_EQ(launch.workingDirectory, run);

    const QByteArray carried = update::embeddedUpdater();
    QFile written(QString::fromStdString(launch.program.string()));
    if (carried.isEmpty()) {
        GTEST_SKIP() << "this build carries no updater";
    }
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), carried);
}

TEST_F(UpdateOfferFlow, AnUpdaterAlreadyThereIsStartedAsItIs) {
    writeRunFile("ver.txt", "27");
    writeRunFile(QString::fromStdString(update::updaterFileName()), "stale updater");
    answerOffer("按钮1");
    start(offering(28));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_exitCode.has_value(); }, kWait));
    QFile kept(m_run.filePath(QString::fromStdString(update::updaterFileName())));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "stale updater");
    EXPECT_EQ(m_launches.size(), 1u);
}

TEST_F(UpdateOfferFlow, DecliningGoesOnAndTheNextBulletinOffersAgain) {
    writeRunFile("ver.txt", "27");
    answerOffer("按钮2");
    start(offering(28));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_offers == 1; }, kWait));
    QTest::qWait(100);
    EXPECT_FALSE(m_exitCode.has_value());
    EXPECT_TRUE(m_launches.empty());

    answerOffer("按钮2");
    m_service->publish(protocol::answer::bulletin("<p>again</p>"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_offers == 2; }, kWait));
    EXPECT_FALSE(m_exitCode.has_value());
}

TEST_F(UpdateOfferFlow, TheSameVersionOffersNothing) {
    writeRunFile("ver.txt", "28");
    start(offering(28));
    QTest::qWait(300);  // the version check runs 10 ms after the bulletin
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(m_launches.empty());
}

}  // namespace
}  // namespace lanzhou::test
