#include "updater/window/update_run.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/detached_start.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "ui/widgets/qt_path.h"
#include "updater/core/archive_unpacker.h"
#include "updater/window/configured_skin.h"
#include "updater/window/finish_window.h"
#include "updater/window/updater_texts.h"
#include "updater/window/updater_window.h"

namespace lanzhou::updater {

namespace {

constexpr int kSpeedIntervalMs = 1000;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString withReason(const QString& what, const std::string& reason) {
    return reason.empty() ? what : what + QStringLiteral("：") + fromUtf8(reason);
}

// `text` without `lead` in front (the downloader's reasons come with their
// own heading, the window puts its own).
std::string withoutLead(const std::string& text, std::string_view lead) {
    return text.starts_with(lead) ? text.substr(lead.size()) : text;
}

// Whether the file's SHA-256 is `expected`; false also when it cannot be read.
bool digestMatches(const std::filesystem::path& file, const Sha256Digest& expected) {
    QFile archive(display::qtPath(file));
    if (!archive.open(QIODevice::ReadOnly)) {
        return false;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&archive)) {
        return false;
    }
    const QByteArray actual = hash.result();
    return actual.size() == static_cast<qsizetype>(expected.size()) &&
           std::equal(expected.begin(), expected.end(), actual.begin(),
                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

void joinIfRunning(std::thread& thread) {
    if (thread.joinable()) {
        thread.join();
    }
}

}  // namespace

UpdateRun::UpdateRun(skin::SkinFrame& frame, Options options, QObject* parent)
    : QObject(parent), m_frame(frame), m_options(std::move(options)) {
    m_speedTimer.setInterval(kSpeedIntervalMs);
    connect(&m_speedTimer, &QTimer::timeout, this, &UpdateRun::onSpeedTick);
}

UpdateRun::~UpdateRun() {
    // The workers report through queued calls to this object; they are
    // stopped or waited for while it still exists, and whatever they posted
    // goes with it.
    m_downloader.reset();
    joinIfRunning(m_unpackThread);
    joinIfRunning(m_shutdownThread);
}

UpdaterWindow* UpdateRun::window() const {
    return m_window.get();
}

FinishWindow* UpdateRun::finishWindow() const {
    return m_finish;
}

void UpdateRun::setStage(Stage stage) {
    if (m_stage != stage) {
        m_stage = stage;
        emit stageChanged(stage);
    }
}

std::filesystem::path UpdateRun::archivePath() const {
    return m_options.runDirectory / "temp.zip";
}

void UpdateRun::removeArchive() const {
    std::error_code error;
    std::filesystem::remove(archivePath(), error);
}

bool UpdateRun::start() {
    // Without its three arguments (a client that handed over an empty
    // source gives two) there is nothing to update: end without a word.
    const std::optional<UpdateArguments> arguments = parseUpdateArguments(m_options.arguments);
    if (!arguments) {
        setStage(Stage::Ended);
        if (m_options.endProgram) {
            m_options.endProgram(0);
        }
        return false;
    }
    m_arguments = *arguments;
    m_source = parseUpdateSource(m_arguments.source);
    removeArchive();

    m_window = std::make_unique<UpdaterWindow>(m_frame);
    applyConfiguredSkin(m_frame, m_options.runDirectory);
    connect(m_window.get(), &UpdaterWindow::cancelClicked, this, &UpdateRun::endRun);
    connect(m_window.get(), &UpdaterWindow::closeClicked, this, &UpdateRun::endRun);
    connect(m_window.get(), &UpdaterWindow::closeRequested, this, &UpdateRun::onCloseRequested);
    m_window->show();

    startClientShutdown();
    m_window->setPhase(texts::downloading());
    setStage(Stage::Downloading);
    startDownload();
    return true;
}

// ---- the running client

void UpdateRun::startClientShutdown() {
    m_shutdownThread =
        std::thread([this, name = m_arguments.clientFileName, limit = m_options.clientExitLimit] {
            const ClientShutdown result = shutDownClient(name, limit);
            QMetaObject::invokeMethod(
                this, [this, result] { onClientShutdown(result); }, Qt::QueuedConnection);
        });
}

void UpdateRun::onClientShutdown(ClientShutdown result) {
    joinIfRunning(m_shutdownThread);
    m_shutdown = result;
    if (m_stage == Stage::Ending) {
        endNow();
    } else if (m_stage == Stage::WaitingForClient) {
        continueAfterDownload();
    }
}

// ---- the download

void UpdateRun::startDownload() {
    DownloadObserver observer;
    observer.sizeKnown = [this](double totalBytes) {
        QMetaObject::invokeMethod(
            this, [this, totalBytes] { onSizeKnown(totalBytes); }, Qt::QueuedConnection);
    };
    observer.progress = [this](std::int64_t received) {
        QMetaObject::invokeMethod(
            this, [this, received] { onProgress(received); }, Qt::QueuedConnection);
    };
    observer.finished = [this](const DownloadResult& result) {
        QMetaObject::invokeMethod(
            this, [this, result] { onDownloadFinished(result); }, Qt::QueuedConnection);
    };
    m_downloader = std::make_unique<Downloader>(m_source.address, archivePath(),
                                                std::move(observer), m_options.download);
    m_downloader->start();
}

void UpdateRun::onSizeKnown(double totalBytes) {
    if (m_stage != Stage::Downloading) {
        return;
    }
    m_totalBytes = totalBytes;
    m_window->setSizeText(QString::number(wholePart(totalBytes / 1024.0)));
    m_speedTimer.start();
    showProgress();
}

void UpdateRun::onProgress(std::int64_t received) {
    if (m_stage != Stage::Downloading) {
        return;
    }
    m_received = std::max(m_received, received);
    showProgress();
}

void UpdateRun::showProgress() {
    // A source that announced no size leaves the bar until the end.
    if (m_received > 0 && m_totalBytes > 0) {
        const double percent = static_cast<double>(m_received) / m_totalBytes * 100.0;
        m_window->setProgress(static_cast<int>(std::lround(std::min(percent, 100.0))));
    }
}

void UpdateRun::onSpeedTick() {
    if (m_received > 0) {
        const double kilobytes = static_cast<double>(m_received - m_lastReceived) / 1024.0;
        m_window->setSpeedText(QString::number(wholePart(std::max(kilobytes, 0.0))));
        m_lastReceived = m_received;
    }
}

void UpdateRun::onDownloadFinished(const DownloadResult& result) {
    m_speedTimer.stop();
    if (m_stage != Stage::Downloading) {
        return;  // cancelled by the member
    }
    if (!result) {
        if (!result.error().cancelled) {
            fail(withReason(texts::downloadFailed(),
                            withoutLead(result.error().reason, "下载失败：")));
        }
        return;
    }
    m_received = std::max(m_received, m_downloader->receivedBytes());
    showProgress();
    if (m_totalBytes <= 0) {
        m_window->setProgress(100);
    }
    m_downloaded = true;
    continueAfterDownload();
}

// ---- unpacking, once downloaded and the client has ended

void UpdateRun::continueAfterDownload() {
    if (!m_shutdown) {
        setStage(Stage::WaitingForClient);
        m_window->setMessage(texts::waitingForClient());
        return;
    }
    if (*m_shutdown == ClientShutdown::StillRunning) {
        // Replacing the files of a running client would leave it half old,
        // half new.
        fail(texts::clientStillRunning());
        return;
    }
    startUnpacking();
}

void UpdateRun::startUnpacking() {
    setStage(Stage::Unpacking);
    m_window->setMessage(QString());
    m_window->setPhase(texts::unpacking());
    m_window->setProgress(0);
    m_window->setCancelEnabled(false);

    m_unpackThread = std::thread(
        [this, archive = archivePath(), target = m_options.runDirectory, digest = m_source.sha256] {
            if (digest && !digestMatches(archive, *digest)) {
                const Result<void> result = lanzhou::fail(texts::checksumFailed().toStdString());
                QMetaObject::invokeMethod(
                    this, [this, result] { onUnpacked(result); }, Qt::QueuedConnection);
                return;
            }
            int shown = -1;
            const Result<void> result = unpackArchive(archive, target, [this, &shown](int percent) {
                if (percent != shown) {
                    shown = percent;
                    QMetaObject::invokeMethod(
                        this, [this, percent] { onUnpackProgress(percent); }, Qt::QueuedConnection);
                }
            });
            QMetaObject::invokeMethod(
                this, [this, result] { onUnpacked(result); }, Qt::QueuedConnection);
        });
}

void UpdateRun::onUnpackProgress(int percent) {
    if (m_stage == Stage::Unpacking) {
        m_window->setProgress(percent);
    }
}

void UpdateRun::onUnpacked(const Result<void>& result) {
    joinIfRunning(m_unpackThread);
    if (!result) {
        // The digest check reports its own words; the unpacker says why.
        const QString error = fromUtf8(result.error());
        fail(error == texts::checksumFailed() ? error
                                              : withReason(texts::unpackFailed(), result.error()));
        return;
    }
    removeArchive();
    if (!platform::writeFileAtomically(m_options.runDirectory / "ver.txt",
                                       m_arguments.newVersion)) {
        fail(texts::versionNotWritten());
        return;
    }
    m_window->setProgress(100);
    setStage(Stage::Finished);
    m_finish = new FinishWindow(m_frame, m_options.playChime, texts::finished(), m_window.get());
    m_finish->setWindowModality(Qt::ApplicationModal);
    m_finish->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(m_finish, &QDialog::finished, this, &UpdateRun::onFinishClosed);
    m_finish->open();
}

// ---- the ways out

void UpdateRun::onFinishClosed() {
    if (m_stage == Stage::NotRestarted) {
        endRun();  // the member has been told; no second try
        return;
    }
    if (m_stage != Stage::Finished) {
        return;  // hidden on the way out
    }
    // The client has ended before anything was unpacked: it can be started.
    if (restartClient()) {
        endRun();
        return;
    }
    // Claiming success would leave the member without a client and without a
    // word: the finish window says what went wrong instead.
    setStage(Stage::NotRestarted);
    m_finish->setPrompt(texts::clientNotStarted());
    m_finish->open();
}

void UpdateRun::fail(const QString& message) {
    m_speedTimer.stop();
    removeArchive();
    setStage(Stage::Failed);
    m_window->showFailure(message);
}

void UpdateRun::onCloseRequested() {
    // Files are being replaced: the run ends when they are all in place.
    if (m_stage == Stage::Unpacking) {
        return;
    }
    endRun();
}

void UpdateRun::endRun() {
    if (m_stage == Stage::Unpacking || m_stage == Stage::Ending || m_stage == Stage::Ended ||
        m_stage == Stage::NotStarted) {
        return;
    }
    setStage(Stage::Ending);  // before hiding: hiding a dialog may report it finished
    m_speedTimer.stop();
    m_downloader.reset();  // cancels a running download and waits for its thread
    removeArchive();
    if (m_finish) {
        m_finish->hide();
    }
    if (m_window) {
        m_window->hide();
    }
    // Starting the client while the old one is still on its way out would
    // give two; without an answer yet, the end follows the answer.
    if (m_shutdown) {
        endNow();
    }
}

void UpdateRun::endNow() {
    restartClient();
    setStage(Stage::Ended);
    if (m_options.endProgram) {
        m_options.endProgram(0);
    }
}

bool UpdateRun::restartClient() {
    if (m_shutdown == ClientShutdown::StillRunning) {
        return true;  // it never went away
    }
    if (m_restartTried) {
        return false;
    }
    m_restartTried = true;
    // Only a file of the run directory: the name carries no folder.
    const std::filesystem::path name = platform::pathFromGbk(m_arguments.clientFileName).filename();
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return platform::startDetached(m_options.runDirectory / name, {}, m_options.runDirectory)
        .has_value();
}

}  // namespace lanzhou::updater
