// lanzhou-fake-server [--port N] [--demo]
//
// Runs the scripted fake service on 127.0.0.1 (port 0 or none: ephemeral),
// prints {"port":N} on one line of standard output and serves until SIGINT
// or SIGTERM. With --demo it publishes a new alert every 5 seconds (audience
// 1 and 0 in turn, with popup) and, once, a notice, so that a watching client
// shows live traffic.
#include <asio.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "platform/gbk.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/support/fake_service.h"

namespace {

using namespace lanzhou;

constexpr auto kDemoPeriod = std::chrono::seconds(5);

struct Options {
    int port = 0;
    bool demo = false;
};

bool parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--demo") {
            options.demo = true;
        } else if (argument == "--port" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value.empty() || value.size() > 5 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                return false;
            }
            options.port = std::stoi(value);
            if (options.port > 65535) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// Publishes the demo traffic on a timer of the main thread's io_context.
class DemoPublisher final {
public:
    DemoPublisher(asio::io_context& io, test::FakeService& service, protocol::DateTime start)
        : m_timer(io), m_service(service), m_start(start), m_started(Clock::now()) {}

    void schedule() {
        m_timer.expires_after(kDemoPeriod);
        m_timer.async_wait([this](const asio::error_code& error) {
            if (!error) {
                publishNext();
                schedule();
            }
        });
    }

private:
    using Clock = std::chrono::steady_clock;

    // The service's clock: its "#TM" time plus the seconds since.
    std::string now() const {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_started).count();
        return protocol::formatDateTime(m_start.plusSeconds(elapsed));
    }

    void publishNext() {
        ++m_count;
        protocol::AlertRecord alert{std::to_string(5000 + m_count),
                                    now(),
                                    std::to_string(600100 + m_count),
                                    platform::gbkFromUtf8("演示股票") + std::to_string(m_count),
                                    platform::gbkFromUtf8(m_count % 2 == 0 ? "卖出" : "买入"),
                                    "10.00",
                                    "10.80",
                                    platform::gbkFromUtf8("演示预警"),
                                    m_count % 2 == 1 ? "1" : "0",
                                    "1"};
        m_service.publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, alert));
        if (m_count == 2) {
            const protocol::NoticeRecord notice{
                "9001",
                now(),
                platform::gbkFromUtf8("澜舟演示公告"),
                "3",
                platform::gbkFromUtf8("<b>演示通知：</b>今日盘面平稳，注意控制仓位。"),
                "0",
                "1"};
            m_service.publish(protocol::answer::notice(protocol::ServerCode::NoticeAdded, notice));
        }
    }

    asio::steady_timer m_timer;
    test::FakeService& m_service;
    const protocol::DateTime m_start;
    const Clock::time_point m_started;
    int m_count = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::cerr << "usage: lanzhou-fake-server [--port N] [--demo]\n";
        return 2;
    }
    asio::io_context io;
    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&io](const asio::error_code&, int) { io.stop(); });

    const test::FakeServiceScript script = test::demoScript();
    test::FakeService service(script, static_cast<std::uint16_t>(options.port));
    if (service.port() == 0) {
        std::cerr << "lanzhou-fake-server: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    std::cout << "{\"port\":" << service.port() << "}" << std::endl;

    DemoPublisher publisher(io, service, script.now);
    if (options.demo) {
        publisher.schedule();
    }
    auto work = asio::make_work_guard(io);
    io.run();
    return 0;
}
