#include "client/update/embedded_updater.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lanzhou::test {
namespace {

// The carried updater is a working program: written out and started without
// arguments, it ends at once with status 0, as the updater does.
TEST(EmbeddedUpdater, IsARunnableUpdater) {
    if (!QFile::exists(update::embeddedUpdaterResource())) {
        EXPECT_TRUE(update::embeddedUpdater().isEmpty());
        GTEST_SKIP() << "built without the updater";
    }
    const QByteArray carried = update::embeddedUpdater();
    ASSERT_GT(carried.size(), 4096);

    QTemporaryDir run;
    const QString program = run.filePath(QString::fromStdString(update::updaterFileName()));
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(carried);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);

    QProcess updater;
    updater.start(program, {});
    ASSERT_TRUE(updater.waitForFinished(30'000)) << updater.errorString().toStdString();
    EXPECT_EQ(updater.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(updater.exitCode(), 0);
}

}  // namespace
}  // namespace lanzhou::test
