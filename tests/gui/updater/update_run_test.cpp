#include "updater/window/update_run.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/gui/support/widget_lookup.h"
#include "tests/gui/updater/update_sandbox.h"
#include "tests/updater/support/loopback_file_server.h"
#include "tests/updater/support/zip_writer.h"
#include "ui/skin/skin_frame.h"
#include "updater/window/finish_window.h"
#include "updater/window/updater_window.h"

namespace lanzhou::updater {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::child;
using test::LoopbackFileServer;
using test::UpdateSandbox;
using test::ZipEntry;
using Stage = UpdateRun::Stage;

constexpr int kRunWait = 30'000;

// What the run did to the program around it.
struct Ending {
    std::optional<int> status;
    int chimes = 0;
};

std::unique_ptr<UpdateRun> makeRun(skin::SkinFrame& frame, const UpdateSandbox& sandbox,
                                   std::vector<std::string> arguments, Ending& ending,
                                   std::chrono::milliseconds clientExitLimit = 30s) {
    UpdateRun::Options options;
    options.runDirectory = sandbox.run();
    options.arguments = std::move(arguments);
    options.endProgram = [&ending](int status) { ending.status = status; };
    options.playChime = [&ending] { ++ending.chimes; };
    options.clientExitLimit = clientExitLimit;
    return std::make_unique<UpdateRun>(frame, std::move(options));
}

bool settles(const UpdateRun& run) {
    return QTest::qWaitFor(
        [&run] { return run.stage() == Stage::Finished || run.stage() == Stage::Failed; },
        kRunWait);
}

std::string bytesOfLength(std::size_t length) {
    std::string bytes(length, '\0');
    unsigned state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

// An update with folders, a file kept uncompressed and a file that replaces
// one of the run directory.
std::vector<ZipEntry> updateEntries() {
    return {
        {"readme.txt", "new readme", false, false},
        {"data/", "", false, false},
        {"data/sub/deep.bin", bytesOfLength(5000), false, true},
        {"data/a.txt", "a", false, false},
    };
}

std::string sha256Hex(const fs::path& file) {
    const auto bytes = UpdateSandbox::readText(file).value_or("");
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

void click(const QWidget* root, const char* name) {
    auto* button = child<QPushButton>(root, QString::fromUtf8(name));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

QString labelText(const UpdateRun& run, const char* name) {
    auto* label = child<QLabel>(run.window(), QString::fromUtf8(name));
    return label ? label->text() : QString();
}

// ---- no work to do

TEST(UpdateRun, EndsAtOnceWithoutItsThreeArguments) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"28"}, {"28", "http://127.0.0.1:9/u.zip"}};
    for (const auto& arguments : cases) {
        UpdateSandbox sandbox;
        Ending ending;
        skin::SkinFrame frame;
        auto run = makeRun(frame, sandbox, arguments, ending);
        EXPECT_FALSE(run->start()) << arguments.size();
        EXPECT_EQ(ending.status, 0) << arguments.size();
        EXPECT_EQ(run->window(), nullptr);
        EXPECT_TRUE(sandbox.clientLog().empty()) << "nothing is started";
    }
}

// ---- complete updates

class CompleteUpdate : public ::testing::TestWithParam<LoopbackFileServer::Kind> {};

TEST_P(CompleteUpdate, ClientEndsFirstFilesReplacedVersionRecordedClientStartedAgain) {
    UpdateSandbox sandbox;
    UpdateSandbox::writeText(sandbox.run() / "readme.txt", "old readme");
    UpdateSandbox::writeText(sandbox.run() / "temp.zip", "left over from an earlier try");
    const fs::path archive = sandbox.served() / "update.zip";
    ASSERT_TRUE(test::writeZip(archive, updateEntries()));
    const auto archiveSize = fs::file_size(archive);
    ASSERT_GT(archiveSize, 5000u);

    LoopbackFileServer server(GetParam(), sandbox.served());
    ASSERT_TRUE(server.running()) << server.error();
    auto client = sandbox.startClient("wait");
    ASSERT_NE(client, nullptr);

    std::string source = server.url("update.zip");
    if (GetParam() == LoopbackFileServer::Kind::Http) {
        // Full-width and ASCII blanks around it, and the digest to check.
        source = "\xA1\xA1" + source + "#sha256=" + sha256Hex(archive) + " ";
    }
    Ending ending;
    skin::SkinFrame frame;
    auto run = makeRun(frame, sandbox, {"28", source, sandbox.clientName()}, ending);
    std::optional<bool> clientGoneBeforeUnpacking;
    QObject::connect(run.get(), &UpdateRun::stageChanged, [&](Stage stage) {
        if (stage == Stage::Unpacking) {
            clientGoneBeforeUnpacking =
                client->waitForExit(0ms).has_value() && sandbox.clientLogHas("quit");
        }
    });

    ASSERT_TRUE(run->start());
    ASSERT_NE(run->window(), nullptr);
    EXPECT_TRUE(run->window()->isVisible());
    EXPECT_TRUE(frame.isAttached(run->window()));
    ASSERT_TRUE(settles(*run));
    ASSERT_EQ(run->stage(), Stage::Finished) << run->window()->message().toStdString();

    EXPECT_EQ(clientGoneBeforeUnpacking, true);
    EXPECT_EQ(run->clientShutdown(), ClientShutdown::Ended);
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "ver.txt"), "28");
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "readme.txt"), "new readme");
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "data" / "sub" / "deep.bin"),
              bytesOfLength(5000));
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "data" / "a.txt"), "a");
    EXPECT_FALSE(fs::exists(sandbox.run() / "temp.zip"));

    EXPECT_EQ(labelText(*run, "sizeLabel"), QString::number(archiveSize / 1024));
    EXPECT_EQ(labelText(*run, "phaseLabel"), QStringLiteral("正在解压"));
    EXPECT_EQ(run->window()->progress(), 100);

    FinishWindow* finish = run->finishWindow();
    ASSERT_NE(finish, nullptr);
    EXPECT_TRUE(finish->isVisible());
    EXPECT_EQ(finish->prompt(), QStringLiteral("程序更新完毕！"));
    EXPECT_EQ(ending.chimes, 1);
    EXPECT_FALSE(ending.status.has_value()) << "the updater waits for the member";

    click(finish, "okButton");
    EXPECT_EQ(ending.status, 0);
    EXPECT_EQ(run->stage(), Stage::Ended);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sandbox.clientLogHas("start plain"); }, kRunWait));
    EXPECT_EQ(sandbox.baseEntries(), (std::vector<std::string>{"run", "served"}));
}

std::string serverName(const ::testing::TestParamInfo<LoopbackFileServer::Kind>& param) {
    return param.param == LoopbackFileServer::Kind::Http ? "Http" : "Ftp";
}

INSTANTIATE_TEST_SUITE_P(Servers, CompleteUpdate,
                         ::testing::Values(LoopbackFileServer::Kind::Http,
                                           LoopbackFileServer::Kind::Ftp),
                         serverName);

TEST(UpdateRun, SourceThatAnnouncesNoSizeCompletesWithAFullBar) {
    UpdateSandbox sandbox;
    ASSERT_TRUE(test::writeZip(sandbox.served() / "update.zip", updateEntries()));
    LoopbackFileServer server(LoopbackFileServer::Kind::Http, sandbox.served());
    ASSERT_TRUE(server.running()) << server.error();
    Ending ending;
    skin::SkinFrame frame;
    auto run = makeRun(frame, sandbox,
                       {"28", server.url("unsized/update.zip"), sandbox.clientName()}, ending);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(settles(*run));
    ASSERT_EQ(run->stage(), Stage::Finished) << run->window()->message().toStdString();
    EXPECT_EQ(labelText(*run, "sizeLabel"), QString());
    EXPECT_EQ(run->window()->progress(), 100);
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "ver.txt"), "28");
}

// ---- failures: shown, nothing claimed, nothing half done, the client back

TEST(UpdateRun, FailureIsShownVersionKeptAndClientStartedAgainOnClose) {
    struct Case {
        const char* name;
        std::function<std::string(const UpdateSandbox&, const LoopbackFileServer&)> source;
        QString reason;
    };
    const Case cases[] = {
        {"broken archive",
         [](const UpdateSandbox& sandbox, const LoopbackFileServer& server) {
             UpdateSandbox::writeText(sandbox.served() / "update.zip",
                                      "PK\x03\x04 but no archive follows" + bytesOfLength(2000));
             return server.url("update.zip");
         },
         QStringLiteral("解压更新包失败")},
        {"not found",
         [](const UpdateSandbox&, const LoopbackFileServer& server) {
             return server.url("missing.zip");
         },
         QStringLiteral("下载更新包失败")},
        {"entry outside the run directory",
         [](const UpdateSandbox& sandbox, const LoopbackFileServer& server) {
             test::writeZip(sandbox.served() / "update.zip",
                            {{"readme.txt", "new readme", false, false},
                             {"../outside.txt", "escaped", false, false}});
             return server.url("update.zip");
         },
         QStringLiteral("解压更新包失败")},
        {"digest mismatch",
         [](const UpdateSandbox& sandbox, const LoopbackFileServer& server) {
             test::writeZip(sandbox.served() / "update.zip", updateEntries());
             return server.url("update.zip") + "#sha256=" + std::string(64, '0');
         },
         QStringLiteral("更新包校验失败")},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        UpdateSandbox sandbox;
        UpdateSandbox::writeText(sandbox.run() / "readme.txt", "old readme");
        LoopbackFileServer server(LoopbackFileServer::Kind::Http, sandbox.served());
        ASSERT_TRUE(server.running()) << server.error();
        Ending ending;
        skin::SkinFrame frame;
        auto run = makeRun(frame, sandbox,
                           {"28", each.source(sandbox, server), sandbox.clientName()}, ending);
        ASSERT_TRUE(run->start());
        ASSERT_TRUE(settles(*run));
        ASSERT_EQ(run->stage(), Stage::Failed);

        EXPECT_EQ(labelText(*run, "phaseLabel"), QStringLiteral("更新失败"));
        EXPECT_TRUE(run->window()->message().startsWith(each.reason))
            << run->window()->message().toStdString();
        EXPECT_EQ(run->finishWindow(), nullptr);
        EXPECT_EQ(ending.chimes, 0);
        EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "ver.txt"), "27");
        EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "readme.txt"), "old readme");
        EXPECT_FALSE(fs::exists(sandbox.run() / "temp.zip"));
        EXPECT_EQ(sandbox.baseEntries(), (std::vector<std::string>{"run", "served"}));
        EXPECT_FALSE(ending.status.has_value()) << "the failure stays until the member closes";

        click(run->window(), "closeButton");
        EXPECT_TRUE(QTest::qWaitFor([&] { return ending.status.has_value(); }, kRunWait));
        EXPECT_EQ(ending.status, 0);
        EXPECT_FALSE(run->window()->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return sandbox.clientLogHas("start plain"); }, kRunWait));
    }
}

TEST(UpdateRun, ClientThatDoesNotEndIsNotUpdatedOverNorStartedTwice) {
    UpdateSandbox sandbox;
    UpdateSandbox::writeText(sandbox.run() / "readme.txt", "old readme");
    ASSERT_TRUE(test::writeZip(sandbox.served() / "update.zip", updateEntries()));
    LoopbackFileServer server(LoopbackFileServer::Kind::Http, sandbox.served());
    ASSERT_TRUE(server.running()) << server.error();
    auto client = sandbox.startClient("ignore");
    ASSERT_NE(client, nullptr);

    Ending ending;
    skin::SkinFrame frame;
    auto run = makeRun(frame, sandbox, {"28", server.url("update.zip"), sandbox.clientName()},
                       ending, 500ms);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(settles(*run));
    ASSERT_EQ(run->stage(), Stage::Failed);
    EXPECT_EQ(run->clientShutdown(), ClientShutdown::StillRunning);
    EXPECT_EQ(run->window()->message(), QStringLiteral("客户端未能退出，无法完成更新。"));
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "ver.txt"), "27");
    EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "readme.txt"), "old readme");
    EXPECT_FALSE(fs::exists(sandbox.run() / "temp.zip"));

    click(run->window(), "closeButton");
    EXPECT_EQ(ending.status, 0);
    // A second client would have recorded its start by now.
    QTest::qWait(300);
    EXPECT_FALSE(sandbox.clientLogHas("start plain"));
}

// ---- the member stops a download

TEST(UpdateRun, StoppedDuringASlowDownloadRemovesTheArchiveAndStartsTheClient) {
    const struct {
        const char* how;
        std::function<void(UpdaterWindow&)> stop;
    } ways[] = {
        {"取消更新", [](UpdaterWindow& window) { click(&window, "cancelButton"); }},
        {"window closed", [](UpdaterWindow& window) { window.close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        UpdateSandbox sandbox;
        UpdateSandbox::writeText(sandbox.served() / "big.zip", bytesOfLength(1'048'576));
        LoopbackFileServer::Options slow;
        slow.bytesPerSecond = 64 * 1024;
        LoopbackFileServer server(LoopbackFileServer::Kind::Http, sandbox.served(), slow);
        ASSERT_TRUE(server.running()) << server.error();

        Ending ending;
        skin::SkinFrame frame;
        auto run =
            makeRun(frame, sandbox, {"28", server.url("big.zip"), sandbox.clientName()}, ending);
        ASSERT_TRUE(run->start());
        EXPECT_EQ(labelText(*run, "phaseLabel"), QStringLiteral("正在下载"));
        // 1,048,576 bytes are 1024 KB; the speed shows after the first second.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return labelText(*run, "sizeLabel") == QStringLiteral("1024"); }, kRunWait));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !labelText(*run, "speedLabel").isEmpty(); }, kRunWait));
        // Kilobytes of the last second at 64 KB/s: well above nothing, well
        // below the whole file (bytes instead of kilobytes would be 65536).
        bool number = false;
        const qlonglong speed = labelText(*run, "speedLabel").toLongLong(&number);
        EXPECT_TRUE(number);
        EXPECT_GT(speed, 0);
        EXPECT_LT(speed, 512);
        ASSERT_EQ(run->stage(), Stage::Downloading);
        EXPECT_TRUE(fs::exists(sandbox.run() / "temp.zip"));

        way.stop(*run->window());
        EXPECT_TRUE(QTest::qWaitFor([&] { return ending.status.has_value(); }, kRunWait));
        EXPECT_EQ(ending.status, 0);
        EXPECT_FALSE(run->window()->isVisible());
        EXPECT_FALSE(fs::exists(sandbox.run() / "temp.zip"));
        EXPECT_EQ(UpdateSandbox::readText(sandbox.run() / "ver.txt"), "27");
        EXPECT_TRUE(QTest::qWaitFor([&] { return sandbox.clientLogHas("start plain"); }, kRunWait));
    }
}

// ---- the client cannot be started again

TEST(UpdateRun, AClientThatCannotBeStartedIsReportedNotClaimedStarted) {
    UpdateSandbox sandbox;
    ASSERT_TRUE(test::writeZip(sandbox.served() / "update.zip", updateEntries()));
    LoopbackFileServer server(LoopbackFileServer::Kind::Http, sandbox.served());
    ASSERT_TRUE(server.running()) << server.error();
    Ending ending;
    skin::SkinFrame frame;
    // No such program in the run directory (a run directory that is not the
    // client's own folder).
    auto run =
        makeRun(frame, sandbox, {"28", server.url("update.zip"), "lanzhou-not-here"}, ending);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(settles(*run));
    ASSERT_EQ(run->stage(), Stage::Finished) << run->window()->message().toStdString();
    FinishWindow* finish = run->finishWindow();
    ASSERT_NE(finish, nullptr);

    click(finish, "okButton");
    EXPECT_EQ(run->stage(), Stage::NotRestarted);
    EXPECT_FALSE(ending.status.has_value()) << "the member is told first";
    EXPECT_TRUE(finish->isVisible());
    EXPECT_EQ(finish->prompt(), QStringLiteral("更新已安装，但无法重新启动程序，请手动启动。"));

    click(finish, "okButton");
    EXPECT_EQ(run->stage(), Stage::Ended);
    EXPECT_EQ(ending.status, 0);
    EXPECT_FALSE(finish->isVisible());
}

}  // namespace
}  // namespace lanzhou::updater
