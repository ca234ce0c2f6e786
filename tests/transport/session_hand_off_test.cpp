// The hand-off from the connection to the session thread keeps the bound of
// the connection's event queue: a session thread that lags makes the client
// stop reading, TCP holds the server back, and nothing is lost.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "client/core/alert_list_model.h"
#include "client/core/event_loop.h"
#include "client/core/session_core.h"
#include "protocol/frame_codec.h"
#include "protocol/message_catalogue.h"
#include "protocol/packed_payload.h"
#include "tests/core/scratch_directory.h"
#include "tests/support/fake_session_view.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

// Accepts one connection and writes the given bytes to it without blocking,
// as fast as the client takes them; it remembers when the last byte went out.
class FloodServer final {
public:
    explicit FloodServer(std::string wire)
        : m_wire(std::move(wire)), m_acceptor(m_io, {asio::ip::address_v4::loopback(), 0}) {
        m_thread = std::thread([this] { run(); });
    }
    ~FloodServer() {
        m_stop = true;
        m_thread.join();
    }

    int port() const { return m_acceptor.local_endpoint().port(); }
    std::size_t written() const { return m_written.load(); }
    std::size_t total() const { return m_wire.size(); }

    // True once nothing could be written for `quiet` with bytes still to go.
    bool stalled(std::chrono::milliseconds quiet) const {
        const auto last = Clock::time_point(Clock::duration(m_lastProgress.load()));
        return m_written.load() < m_wire.size() && Clock::now() - last >= quiet;
    }

private:
    using Clock = std::chrono::steady_clock;

    void run() {
        asio::error_code error;
        asio::ip::tcp::socket socket(m_io);
        m_acceptor.non_blocking(true, error);
        for (;;) {
            m_acceptor.accept(socket, error);
            if (!error) {
                break;
            }
            if (m_stop || (error != asio::error::would_block && error != asio::error::try_again)) {
                return;
            }
            std::this_thread::sleep_for(2ms);
        }
        // A small send buffer of fixed size: what the kernels hold stays small.
        socket.set_option(asio::socket_base::send_buffer_size(64 * 1024), error);
        socket.non_blocking(true, error);
        m_lastProgress = Clock::now().time_since_epoch().count();
        while (!m_stop && m_written < m_wire.size()) {
            const std::size_t done = m_written;
            const std::size_t n =
                socket.write_some(asio::buffer(m_wire.data() + done, m_wire.size() - done), error);
            if (error == asio::error::would_block || error == asio::error::try_again) {
                std::this_thread::sleep_for(2ms);
                continue;
            }
            if (error) {
                return;
            }
            m_written = done + n;
            m_lastProgress = Clock::now().time_since_epoch().count();
        }
        while (!m_stop) {
            std::this_thread::sleep_for(5ms);  // keeps the connection open
        }
    }

    const std::string m_wire;
    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::atomic<std::size_t> m_written{0};
    std::atomic<Clock::rep> m_lastProgress{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Counts the rows placed, for a thread other than the session's.
class InsertCounter final : public core::AlertListObserver {
public:
    void rowInserted(core::AlertListId, int) override { ++inserted; }
    void rowChanged(core::AlertListId, int) override {}
    void rowRemoved(core::AlertListId, int) override {}
    void listsReset() override {}
    std::atomic<int> inserted{0};
};

// `count` pushed alerts for user type 0, each with a remark of `remarkBytes`
// random bytes (so that packing does not shrink them), packed and framed.
std::string alertFlood(int count, std::size_t remarkBytes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte('0', 'z');
    protocol::FrameEncoder encoder;
    std::string wire;
    for (int i = 0; i < count; ++i) {
        protocol::AlertRecord record;
        record.id = std::to_string(i);
        record.time = "2099-01-01 09:30:00";
        record.code = "600000";
        record.audience = "0";
        record.popup = "0";
        record.remark.resize(remarkBytes);
        for (char& ch : record.remark) {
            ch = static_cast<char>(byte(random));
        }
        wire += encoder.encode(
            protocol::pack(protocol::answer::alert(protocol::ServerCode::AlertAdded, record)));
    }
    return wire;
}

TEST(SessionHandOff, ABusySessionStallsTheServerAndGetsEveryMessageInOrder) {
    constexpr int kCount = 4000;
    constexpr std::size_t kRemark = 2000;
    // 8 MB on the wire, far beyond what the client may queue and what the
    // two kernels buffer.
    FloodServer server(alertFlood(kCount, kRemark));
    ScratchDirectory runDirectory;
    core::EventLoop loop;
    core::LoopScheduler scheduler(loop);
    FakeSessionView view;
    core::SessionCore::Options options;
    options.runDirectory = runDirectory.gbkText();
    options.serverOverride = core::Endpoint{"127.0.0.1", server.port()};
    options.adapterAddress = [] { return std::string("00-1A-2B-3C-4D-5E"); };
    options.limits.queueBytes = 64 * 1024;
    options.limits.queueEvents = 64;
    core::SessionCore core(scheduler, view, options);
    InsertCounter counter;
    core.alerts().setObserver(&counter);

    // The session thread is busy before the first message can reach it.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    loop.post([released] { released.wait(); });
    ASSERT_TRUE(core.open());
    std::thread sessionThread([&loop] { loop.run(); });

    ASSERT_TRUE(eventually([&] { return server.stalled(500ms); }, 30s))
        << "the server wrote all " << server.written() << " bytes";
    // What waits in the client: up to the mark, plus the rest of the read
    // that crossed it (one message begun before it, one read's worth after).
    EXPECT_LT(core.client().waitingBytes(),
              options.limits.queueBytes + protocol::kMaxReadSize + kRemark + 512);
    EXPECT_EQ(counter.inserted.load(), 0);
    EXPECT_LT(server.written(), server.total() / 2);

    release.set_value();
    ASSERT_TRUE(eventually([&] { return counter.inserted.load() == kCount; }, 60s))
        << counter.inserted.load() << " of " << kCount << " rows";
    // The server thread counts a write after the kernel took it, so the
    // client may have every row before the count has caught up.
    EXPECT_TRUE(eventually([&] { return server.written() == server.total(); }))
        << server.written() << " of " << server.total() << " bytes";

    std::promise<std::vector<std::string>> ids;
    loop.post([&] {
        const auto& today = core.alerts().list(core::AlertListId::Today);
        std::vector<std::string> result;
        for (int row = today.rowCount() - 1; row >= 0; --row) {
            result.emplace_back(today.row(row).id);
        }
        ids.set_value(std::move(result));
        loop.quit();
    });
    const std::vector<std::string> arrived = ids.get_future().get();
    sessionThread.join();
    ASSERT_EQ(arrived.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(arrived[static_cast<std::size_t>(i)], std::to_string(i))
            << "row from the bottom " << i;
    }
}

}  // namespace
}  // namespace lanzhou::test
