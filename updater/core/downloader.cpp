#include "updater/core/downloader.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace lanzhou::updater {

namespace fs = std::filesystem;

struct Downloader::State {
    std::string address;
    fs::path target;
    DownloadObserver observer;
    DownloadSettings settings;
    std::atomic<bool> cancelled{false};
    // Set by the destructor: no report after it.
    std::atomic<bool> silenced{false};
    std::atomic<std::int64_t> received{0};
    std::thread thread;
    bool started = false;
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kProgressInterval = std::chrono::milliseconds(100);
const char* const kFailed = "下载失败：";

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// What one transfer knows while it runs; the callbacks' user data.
class Transfer final {
public:
    explicit Transfer(Downloader::State& state) : m_state(state) {}

    bool openTarget() {
        m_out.open(m_state.target, std::ios::binary | std::ios::trunc);
        return m_out.is_open();
    }
    bool closeTarget() {
        m_out.close();
        return !m_out.fail();
    }

    static std::size_t onWrite(char* data, std::size_t size, std::size_t count, void* user) {
        return static_cast<Transfer*>(user)->write(data, size * count);
    }

    static int onProgress(void* user, curl_off_t /*total*/, curl_off_t /*now*/,
                          curl_off_t /*upTotal*/, curl_off_t /*upNow*/) {
        Transfer& transfer = *static_cast<Transfer*>(user);
        if (transfer.m_state.cancelled) {
            return 1;  // aborts the transfer
        }
        transfer.reportProgress(false);
        return 0;
    }

    void reportProgress(bool final) {
        const std::int64_t received = m_state.received;
        const auto now = Clock::now();
        if (received == m_reported || (!final && now - m_reportedAt < kProgressInterval)) {
            return;
        }
        m_reported = received;
        m_reportedAt = now;
        if (m_state.observer.progress && !m_state.silenced) {
            m_state.observer.progress(received);
        }
    }

    void setCurl(CURL* curl) { m_curl = curl; }
    bool tooLarge() const { return m_tooLarge; }
    bool writeFailed() const { return m_writeFailed; }

private:
    std::size_t write(const char* data, std::size_t bytes) {
        if (m_state.cancelled) {
            return 0;
        }
        // Only the bytes of the final answer reach this callback (not those
        // of a redirect), so its announced size is the file's.
        if (!m_sizeReported && !checkAnnouncedSize()) {
            return 0;
        }
        const std::int64_t received = m_state.received;
        if (static_cast<std::uint64_t>(received) + bytes >
            static_cast<std::uint64_t>(m_state.settings.maximumBytes)) {
            m_tooLarge = true;
            return 0;
        }
        if (!m_out.write(data, static_cast<std::streamsize>(bytes))) {
            m_writeFailed = true;
            return 0;
        }
        m_state.received = received + static_cast<std::int64_t>(bytes);
        reportProgress(false);
        return bytes;
    }

    bool checkAnnouncedSize() {
        curl_off_t size = -1;
        if (curl_easy_getinfo(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) != CURLE_OK ||
            size <= 0) {
            return true;
        }
        m_sizeReported = true;
        if (size > m_state.settings.maximumBytes) {
            m_tooLarge = true;
            return false;
        }
        if (m_state.observer.sizeKnown && !m_state.silenced) {
            m_state.observer.sizeKnown(static_cast<double>(size));
        }
        return true;
    }

    Downloader::State& m_state;
    CURL* m_curl = nullptr;
    std::ofstream m_out;
    bool m_sizeReported = false;
    bool m_tooLarge = false;
    bool m_writeFailed = false;
    std::int64_t m_reported = 0;
    Clock::time_point m_reportedAt{};
};

DownloadResult failed(const std::string& reason) {
    return fail(DownloadFailure{false, kFailed + reason});
}

std::string reasonFor(CURLcode code, CURL* curl, const Transfer& transfer,
                      const char* curlMessage) {
    if (transfer.tooLarge() || code == CURLE_FILESIZE_EXCEEDED) {
        return "文件过大";
    }
    if (transfer.writeFailed()) {
        return "无法写入文件";
    }
    switch (code) {
        case CURLE_HTTP_RETURNED_ERROR: {
            long status = 0;
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
            return "服务器返回 HTTP " + std::to_string(status);
        }
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
            return connected > 0 ? "下载停滞" : "连接超时";
        }
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return "找不到服务器";
        case CURLE_COULDNT_CONNECT:
            return "无法连接服务器";
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_FILE_COULDNT_READ_FILE:
            return "文件不存在";
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_LOGIN_DENIED:
            return "服务器拒绝访问";
        case CURLE_UNSUPPORTED_PROTOCOL:
            return "不支持的下载地址";
        case CURLE_URL_MALFORMAT:
            return "下载地址格式错误";
        case CURLE_TOO_MANY_REDIRECTS:
            return "重定向次数过多";
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
            return "连接中断";
        default:
            return curlMessage[0] != '\0' ? std::string(curlMessage) : curl_easy_strerror(code);
    }
}

DownloadResult transfer(Downloader::State& state, Transfer& job) {
    if (!job.openTarget()) {
        return failed("无法写入文件");
    }
    const std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!curl) {
        job.closeTarget();
        return failed("无法开始下载");
    }
    job.setCurl(curl.get());
    char curlMessage[CURL_ERROR_SIZE] = {};
    const DownloadSettings& settings = state.settings;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, state.address.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, curlMessage);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    // A server's redirect may lead to another server, never to this
    // computer's own files.
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, settings.maximumRedirects);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytes);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, settings.stallSeconds);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, settings.bufferBytes);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(settings.maximumBytes));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "lanzhou-update");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::onWrite);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &job);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &job);

    const CURLcode code = curl_easy_perform(handle);
    const bool closed = job.closeTarget();
    if (state.cancelled) {
        return fail(DownloadFailure{true, "下载已取消"});
    }
    if (code != CURLE_OK) {
        return failed(reasonFor(code, handle, job, curlMessage));
    }
    if (!closed) {
        return failed("无法写入文件");
    }
    return {};
}

void run(Downloader::State& state) {
    Transfer job(state);
    const DownloadResult result = transfer(state, job);
    if (!result) {
        std::error_code ignored;
        fs::remove(state.target, ignored);
    } else {
        job.reportProgress(true);
    }
    if (state.observer.finished && !state.silenced) {
        state.observer.finished(result);
    }
}

}  // namespace

Downloader::Downloader(std::string address, std::filesystem::path target, DownloadObserver observer,
                       DownloadSettings settings)
    : m_state(std::make_shared<State>()) {
    m_state->address = std::move(address);
    m_state->target = std::move(target);
    m_state->observer = std::move(observer);
    m_state->settings = settings;
}

Downloader::~Downloader() {
    m_state->cancelled = true;
    m_state->silenced = true;
    if (!m_state->thread.joinable()) {
        return;
    }
    if (m_state->thread.get_id() == std::this_thread::get_id()) {
        m_state->thread.detach();  // destroyed from its own report; the state lives on
    } else {
        m_state->thread.join();
    }
}

void Downloader::start() {
    if (m_state->started) {
        return;
    }
    m_state->started = true;
    initialiseCurlOnce();
    m_state->thread = std::thread([state = m_state] { run(*state); });
}

void Downloader::cancel() {
    m_state->cancelled = true;
}

std::int64_t Downloader::receivedBytes() const {
    return m_state->received;
}

}  // namespace lanzhou::updater
