#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/result.h"
#include "updater/core/client_shutdown.h"
#include "updater/core/downloader.h"
#include "updater/core/update_arguments.h"
#include "updater/core/update_source.h"

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::updater {

class FinishWindow;
class UpdaterWindow;

// One run of the updater, from its arguments to the client started again:
// the running client asked to quit (on a worker thread, waited for up to a
// limit), the archive downloaded into temp.zip in the run directory, checked
// against its digest when the source names one, unpacked over the run
// directory once the client has ended, ver.txt written with the new version,
// the finish window shown. Every way out after the window appeared (finish,
// cancel, close, a failure closed) removes temp.zip and starts the client
// again before the program ends, except when the client never ended. A
// failure is shown in the window and leaves ver.txt as it was. When the
// client cannot be started after a finished update, the finish window says
// so instead and the run ends when it is closed again.
//
// GUI thread only; the download, the wait for the client and the unpacking
// run on threads of their own and report back through queued calls.
class UpdateRun final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateRun)

public:
    enum class Stage {
        NotStarted,
        Downloading,
        WaitingForClient,  // downloaded; the client has not ended yet
        Unpacking,         // checking the digest, then unpacking
        Finished,          // the finish window is open
        NotRestarted,      // the finish window says the client could not be started
        Failed,            // the failure is shown; "关闭" ends the run
        Ending,            // waiting for the client's end to be known before restarting it
        Ended              // endProgram was called
    };
    Q_ENUM(Stage)

    struct Options {
        std::filesystem::path runDirectory;  // the updater's own folder
        std::vector<std::string> arguments;  // GBK words after the program's path
        std::function<void(int status)> endProgram;
        std::function<void()> playChime;  // the finish window's chime
        std::chrono::milliseconds clientExitLimit = std::chrono::seconds(30);
        DownloadSettings download;
    };

    UpdateRun(skin::SkinFrame& frame, Options options, QObject* parent = nullptr);
    ~UpdateRun() override;

    // Starts the run. False when the arguments end it at once (none, or
    // fewer than the three it needs): endProgram(0) has then been called and
    // no window is shown.
    bool start();

    Stage stage() const { return m_stage; }
    UpdaterWindow* window() const;
    FinishWindow* finishWindow() const;
    // How asking the client to quit went, once known.
    std::optional<ClientShutdown> clientShutdown() const { return m_shutdown; }

signals:
    void stageChanged(lanzhou::updater::UpdateRun::Stage stage);

private:
    void setStage(Stage stage);
    std::filesystem::path archivePath() const;
    void removeArchive() const;

    void startClientShutdown();
    void startDownload();
    void onSizeKnown(double totalBytes);
    void onProgress(std::int64_t received);
    void onDownloadFinished(const DownloadResult& result);
    void onSpeedTick();
    void showProgress();

    void onClientShutdown(ClientShutdown result);
    void continueAfterDownload();
    void startUnpacking();
    void onUnpackProgress(int percent);
    void onUnpacked(const Result<void>& result);

    void fail(const QString& message);
    void onCloseRequested();
    void endRun();
    void endNow();
    void onFinishClosed();
    // Starts the client again, once; true when it was started (or left
    // alone because it never went away).
    bool restartClient();

    skin::SkinFrame& m_frame;
    Options m_options;
    UpdateArguments m_arguments;
    UpdateSource m_source;
    Stage m_stage = Stage::NotStarted;

    std::unique_ptr<UpdaterWindow> m_window;
    QPointer<FinishWindow> m_finish;
    QTimer m_speedTimer;

    std::unique_ptr<Downloader> m_downloader;
    double m_totalBytes = 0;
    std::int64_t m_received = 0;
    std::int64_t m_lastReceived = 0;
    bool m_downloaded = false;

    std::optional<ClientShutdown> m_shutdown;
    bool m_restartTried = false;
    std::thread m_shutdownThread;
    std::thread m_unpackThread;
};

}  // namespace lanzhou::updater
