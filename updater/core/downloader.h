#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "base/result.h"

namespace lanzhou::updater {

// Why a download did not finish.
struct DownloadFailure {
    bool cancelled = false;  // cancel() stopped it: nothing went wrong
    std::string reason;      // UTF-8, for the member: what went wrong
};

// How a download ended: finished, or why not.
using DownloadResult = Result<void, DownloadFailure>;

// Reports of a running download. They come on the download's own thread;
// the receiver hands them to its own thread.
struct DownloadObserver {
    // The total size in bytes, once known (at most once; never for a source
    // that does not announce it).
    std::function<void(double totalBytes)> sizeKnown;
    // Some bytes arrived (about every 100 ms at most); `received` so far.
    std::function<void(std::int64_t received)> progress;
    // The end, exactly once.
    std::function<void(const DownloadResult& result)> finished;
};

struct DownloadSettings {
    std::int64_t maximumBytes = std::int64_t{1} << 30;  // refused beyond this (1 GiB)
    long connectTimeoutMs = 5000;
    // A download that moves fewer than lowSpeedBytes per second for
    // stallSeconds is given up as stalled.
    long lowSpeedBytes = 1;
    long stallSeconds = 10;
    long maximumRedirects = 5;
    long bufferBytes = 10240;
};

// Saves one address (http, https, ftp with anonymous login when no user is
// named, or file) into a file, on a thread of its own, with libcurl:
// redirects followed, the system proxy honoured, HTTP errors (404) failed.
// The target file is written only by the download; a failed or cancelled
// download removes it.
class Downloader final {
public:
    Downloader(std::string address, std::filesystem::path target, DownloadObserver observer,
               DownloadSettings settings = {});
    // Cancels and joins; no report comes after it. It may be destroyed from
    // its own `finished` report (the thread then ends by itself).
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Starts the download thread (once; later calls do nothing).
    void start();
    // Asks the download to stop; `finished` then reports Cancelled (unless it
    // had already ended).
    void cancel();
    // Bytes received so far; any thread.
    std::int64_t receivedBytes() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

}  // namespace lanzhou::updater
