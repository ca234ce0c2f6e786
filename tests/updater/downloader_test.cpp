// Downloads from real servers on 127.0.0.1 (python3's http.server and
// pyftpdlib, started by the tests) and from files.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "tests/updater/support/loopback_file_server.h"
#include "updater/core/downloader.h"

namespace lanzhou::updater {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::LoopbackFileServer;
using Kind = LoopbackFileServer::Kind;

// Ended by a failure, not finished and not cancelled.
bool failed(const DownloadResult& result) {
    return !result.has_value() && !result.error().cancelled;
}

// Bytes that are not all alike, so that a shifted or dropped block shows.
std::string archiveBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t value = 12345;
    for (char& c : bytes) {
        value = value * 1103515245u + 12345u;
        c = static_cast<char>(value >> 24);
    }
    return bytes;
}

// Everything one download reported, gathered from its thread.
class Reports final {
public:
    DownloadObserver observer() {
        return DownloadObserver{[this](double total) {
                                    std::lock_guard lock(m_mutex);
                                    m_sizes.push_back(total);
                                },
                                [this](std::int64_t received) {
                                    std::lock_guard lock(m_mutex);
                                    m_progress.push_back(received);
                                },
                                [this](const DownloadResult& result) {
                                    std::lock_guard lock(m_mutex);
                                    m_results.push_back(result);
                                    m_changed.notify_all();
                                }};
    }

    // The result, once `finished` came (at most 60 s).
    std::optional<DownloadResult> waitForEnd() {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, 60s, [this] { return !m_results.empty(); })) {
            return std::nullopt;
        }
        return m_results.front();
    }

    std::vector<double> sizes() const {
        std::lock_guard lock(m_mutex);
        return m_sizes;
    }
    std::vector<std::int64_t> progress() const {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    std::size_t endings() const {
        std::lock_guard lock(m_mutex);
        return m_results.size();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<double> m_sizes;
    std::vector<std::int64_t> m_progress;
    std::vector<DownloadResult> m_results;
};

bool waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class DownloadTest : public ::testing::Test {
protected:
    static constexpr std::size_t kSize = 300'000;

    DownloadTest() : m_served(m_scratch.path() / "served"), m_content(archiveBytes(kSize)) {
        fs::create_directories(m_served);
        platform::writeFileAtomically(m_served / "update.zip", m_content);
    }

    fs::path target() const { return m_scratch.path() / "temp.zip"; }

    DownloadResult download(const std::string& address, DownloadSettings settings = {}) {
        Downloader downloader(address, target(), m_reports.observer(), settings);
        downloader.start();
        const auto result = m_reports.waitForEnd();
        m_received = downloader.receivedBytes();
        if (!result) {
            ADD_FAILURE() << "no end reported for " << address;
            return lanzhou::fail(DownloadFailure{false, "no end reported"});
        }
        return *result;
    }

    void expectFinishedWithTheFile(const DownloadResult& result) {
        EXPECT_TRUE(result.has_value()) << result.error().reason;
        EXPECT_EQ(result.error().reason, "");
        EXPECT_TRUE(platform::readFile(target()) == m_content) << "the file arrived whole";
        EXPECT_EQ(m_received, static_cast<std::int64_t>(kSize));
        const auto progress = m_reports.progress();
        ASSERT_FALSE(progress.empty());
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(progress.back(), static_cast<std::int64_t>(kSize));
        EXPECT_EQ(m_reports.endings(), 1u);
    }

    void expectFailedWithoutFile(const DownloadResult& result, const std::string& reason) {
        EXPECT_TRUE(failed(result));
        EXPECT_EQ(result.error().reason.rfind("下载失败：", 0), 0u) << result.error().reason;
        EXPECT_NE(result.error().reason.find(reason), std::string::npos) << result.error().reason;
        EXPECT_FALSE(fs::exists(target()));
    }

    test::ScratchDirectory m_scratch;
    fs::path m_served;
    std::string m_content;
    Reports m_reports;
    std::int64_t m_received = -1;
};

class ServerDownloadTest : public DownloadTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(ServerDownloadTest, SavesTheWholeFileAndAnnouncesItsSize) {
    LoopbackFileServer server(GetParam(), m_served);
    ASSERT_TRUE(server.running()) << server.error();
    expectFinishedWithTheFile(download(server.url("update.zip")));
    EXPECT_EQ(m_reports.sizes(), std::vector<double>{static_cast<double>(kSize)});
}

TEST_P(ServerDownloadTest, MissingFileFailsAndLeavesNoFile) {
    LoopbackFileServer server(GetParam(), m_served);
    ASSERT_TRUE(server.running()) << server.error();
    // Whatever stood there before is gone too: the updater deletes it anyway.
    platform::writeFileAtomically(target(), "old");
    expectFailedWithoutFile(download(server.url("missing.zip")),
                            GetParam() == Kind::Http ? "404" : "文件不存在");
    EXPECT_TRUE(m_reports.sizes().empty());
}

TEST_P(ServerDownloadTest, CancelStopsTheDownloadAndRemovesTheFile) {
    LoopbackFileServer server(GetParam(), m_served, {20'000});
    ASSERT_TRUE(server.running()) << server.error();
    Downloader downloader(server.url("update.zip"), target(), m_reports.observer());
    downloader.start();
    ASSERT_TRUE(waitUntil([&] { return downloader.receivedBytes() > 0; }));
    downloader.cancel();
    const auto result = m_reports.waitForEnd();
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->has_value());
    EXPECT_TRUE(result->error().cancelled);
    EXPECT_LT(downloader.receivedBytes(), static_cast<std::int64_t>(kSize));
    EXPECT_FALSE(fs::exists(target()));
    EXPECT_EQ(m_reports.endings(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Loopback, ServerDownloadTest, ::testing::Values(Kind::Http, Kind::Ftp),
                         [](const auto& param) {
                             return std::string(param.param == Kind::Http ? "Http" : "Ftp");
                         });

TEST_F(DownloadTest, FileAddress) {
    expectFinishedWithTheFile(download(test::fileUrl(m_served / "update.zip")));
    EXPECT_EQ(m_reports.sizes(), std::vector<double>{static_cast<double>(kSize)});
}

TEST_F(DownloadTest, MissingFileAddressFails) {
    expectFailedWithoutFile(download(test::fileUrl(m_served / "missing.zip")), "文件不存在");
}

TEST_F(DownloadTest, SizeNotAnnouncedIsNeverReported) {
    LoopbackFileServer server(Kind::Http, m_served);
    ASSERT_TRUE(server.running()) << server.error();
    expectFinishedWithTheFile(download(server.url("unsized/update.zip")));
    EXPECT_TRUE(m_reports.sizes().empty());
}

TEST_F(DownloadTest, RedirectsAreFollowedWithinLimits) {
    LoopbackFileServer server(Kind::Http, m_served);
    ASSERT_TRUE(server.running()) << server.error();
    expectFinishedWithTheFile(download(server.url("redirect/redirect/update.zip")));
    EXPECT_EQ(m_reports.sizes(), std::vector<double>{static_cast<double>(kSize)})
        << "the redirects' own sizes are not the file's";
}

TEST_F(DownloadTest, TooManyRedirectsFail) {
    LoopbackFileServer server(Kind::Http, m_served);
    ASSERT_TRUE(server.running()) << server.error();
    DownloadSettings settings;
    settings.maximumRedirects = 1;
    expectFailedWithoutFile(download(server.url("redirect/redirect/update.zip"), settings),
                            "重定向");
}

TEST_F(DownloadTest, RedirectToALocalFileIsRefused) {
    LoopbackFileServer server(Kind::Http, m_served);
    ASSERT_TRUE(server.running()) << server.error();
    const std::string address = server.url("redirect/" + test::fileUrl(m_served / "update.zip"));
    const DownloadResult result = download(address);
    EXPECT_TRUE(failed(result));
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(DownloadTest, FileLargerThanTheLimitIsRefused) {
    LoopbackFileServer server(Kind::Http, m_served);
    ASSERT_TRUE(server.running()) << server.error();
    DownloadSettings settings;
    settings.maximumBytes = kSize - 1;
    // Announced (refused before any byte) and not announced (refused on the way).
    for (const char* name : {"update.zip", "unsized/update.zip"}) {
        SCOPED_TRACE(name);
        Reports reports;
        Downloader downloader(server.url(name), target(), reports.observer(), settings);
        downloader.start();
        const auto result = reports.waitForEnd();
        ASSERT_TRUE(result.has_value());
        expectFailedWithoutFile(*result, "文件过大");
        EXPECT_LE(downloader.receivedBytes(), settings.maximumBytes);
    }
}

TEST_F(DownloadTest, StalledDownloadIsGivenUp) {
    LoopbackFileServer server(Kind::Http, m_served, {2'000});
    ASSERT_TRUE(server.running()) << server.error();
    DownloadSettings settings;
    settings.lowSpeedBytes = 1'000'000;
    settings.stallSeconds = 1;
    expectFailedWithoutFile(download(server.url("update.zip"), settings), "下载停滞");
}

TEST_F(DownloadTest, UnreachableOrUnusableAddressesFail) {
    std::string closedAddress;
    {
        LoopbackFileServer server(Kind::Http, m_served);
        ASSERT_TRUE(server.running()) << server.error();
        closedAddress = server.url("update.zip");
    }
    struct Case {
        std::string address;
        const char* reason;
    };
    const Case cases[] = {
        {closedAddress, "无法连接服务器"},
        {"dict://127.0.0.1/update.zip", "不支持的下载地址"},
        {"scp://127.0.0.1/update.zip", "不支持的下载地址"},
        {"", "下载失败"},
        {"http://[nonsense/update.zip", "下载失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        Reports reports;
        Downloader downloader(c.address, target(), reports.observer());
        downloader.start();
        const auto result = reports.waitForEnd();
        ASSERT_TRUE(result.has_value());
        expectFailedWithoutFile(*result, c.reason);
    }
}

TEST_F(DownloadTest, TargetThatCannotBeWrittenFails) {
    Reports reports;
    Downloader downloader(test::fileUrl(m_served / "update.zip"),
                          m_scratch.path() / "no such folder" / "temp.zip", reports.observer());
    downloader.start();
    const auto result = reports.waitForEnd();
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(failed(*result));
    EXPECT_NE(result->error().reason.find("无法写入文件"), std::string::npos)
        << result->error().reason;
}

TEST_F(DownloadTest, DestroyingARunningDownloadStopsItQuietly) {
    LoopbackFileServer server(Kind::Http, m_served, {20'000});
    ASSERT_TRUE(server.running()) << server.error();
    {
        Downloader downloader(server.url("update.zip"), target(), m_reports.observer());
        downloader.start();
        ASSERT_TRUE(waitUntil([&] { return downloader.receivedBytes() > 0; }));
    }
    EXPECT_EQ(m_reports.endings(), 0u) << "no report after the end of its owner";
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(DownloadTest, MayBeDestroyedFromItsOwnEndReport) {
    std::unique_ptr<Downloader> downloader;
    std::mutex mutex;
    std::condition_variable done;
    bool destroyed = false;
    DownloadObserver observer;
    observer.finished = [&](const DownloadResult&) {
        std::lock_guard lock(mutex);
        downloader.reset();
        destroyed = true;
        done.notify_all();
    };
    {
        std::lock_guard lock(mutex);
        downloader = std::make_unique<Downloader>(test::fileUrl(m_served / "update.zip"), target(),
                                                  observer);
        downloader->start();
    }
    std::unique_lock lock(mutex);
    EXPECT_TRUE(done.wait_for(lock, 60s, [&] { return destroyed; }));
}

TEST_F(DownloadTest, NeverStartedDownloadReportsNothing) {
    {
        Downloader downloader(test::fileUrl(m_served / "update.zip"), target(),
                              m_reports.observer());
    }
    EXPECT_EQ(m_reports.endings(), 0u);
    EXPECT_FALSE(fs::exists(target()));
}

}  // namespace
}  // namespace lanzhou::updater
