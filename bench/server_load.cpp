// Load for lanzhou-server: N members on N connections from this one process
// (one thread, one reactor), all logging in at once, then K alerts published
// through the database while every member waits for them. Prints the login
// rate and, per alert and overall, how long it took each member to get it.
// With several ports (servers on one PostgreSQL database) the members are
// spread over them in turn. With --tls the members speak TLS, trusting the
// authority in CAFILE for the name 127.0.0.1: their handshakes, all at once,
// are timed apart before the logins.
//
//   server_load seed --db DATABASE [--members N]
//   server_load run --db DATABASE --port PORT[,PORT...] [--members N] [--alerts K]
//                   [--tls CAFILE]

#include <algorithm>
#include <asio.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/open_file_limit.h"
#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "server/database/open_storage.h"
#include "server/network/network_server.h"
#include "server/storage/storage.h"
#include "server_load_tls.h"

namespace {

using Clock = std::chrono::steady_clock;
using lanzhou::protocol::ChunkDecoder;
using lanzhou::protocol::FrameEvent;

struct Arguments {
    std::string mode;
    std::string database;
    std::vector<int> ports;
    int members = 5000;
    int alerts = 5;
    std::string tlsAuthority;  // empty: plain TCP
};

bool parseArguments(int argc, char** argv, Arguments& out) {
    if (argc < 2) {
        return false;
    }
    out.mode = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--db") {
            out.database = value;
        } else if (name == "--port") {
            for (const char* at = value; *at != '\0';) {
                out.ports.push_back(std::atoi(at));
                const char* comma = std::strchr(at, ',');
                at = comma != nullptr ? comma + 1 : at + std::strlen(at);
            }
        } else if (name == "--members") {
            out.members = std::atoi(value);
        } else if (name == "--alerts") {
            out.alerts = std::atoi(value);
        } else if (name == "--tls") {
            out.tlsAuthority = value;
        } else {
            return false;
        }
    }
    return (out.mode == "seed" || out.mode == "run") && !out.database.empty() && out.members > 0 &&
           (out.mode == "seed" ||
            (!out.ports.empty() &&
             std::all_of(out.ports.begin(), out.ports.end(), [](int p) { return p > 0; }) &&
             out.alerts > 0));
}

std::string memberName(int index) {
    return "member" + std::to_string(index);
}

lanzhou::protocol::DateTime nowPlusDays(int days) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    return lanzhou::protocol::DateTime::fromTotalSeconds(seconds + std::int64_t{days} * 86400);
}

int seed(lanzhou::server::Storage& storage, int members) {
    int added = 0;
    for (int i = 0; i < members; ++i) {
        lanzhou::server::AccountRecord account;
        account.name = memberName(i);
        account.password = "pw";
        account.qq = "10001";
        account.phone = "13800000000";
        account.userType = 1;
        account.expiry = nowPlusDays(365);
        added += storage.addAccount(account) ? 1 : 0;
    }
    std::printf("seeded %d paying members (%d new)\n", members, added);
    return 0;
}

// One member's connection, driven by the shared reactor: its socket, or the
// link of that number in TLS.
struct Member {
    explicit Member(asio::io_context& io) : socket(io) {}
    asio::ip::tcp::socket socket;
    std::size_t link = 0;
    ChunkDecoder decoder;
    lanzhou::protocol::FrameEncoder encoder;
    bool loggedIn = false;
    int alertsSeen = 0;
    Clock::time_point lastAlert;
};

class Load final {
public:
    Load(asio::io_context& io, int members, std::unique_ptr<TlsLinks> tls)
        : m_io(io), m_tls(std::move(tls)), m_readBuffer(lanzhou::protocol::kMaxReadSize) {
        m_members.reserve(static_cast<std::size_t>(members));
        for (int i = 0; i < members; ++i) {
            m_members.push_back(std::make_unique<Member>(io));
        }
    }

    bool connectAll(const std::vector<int>& ports) {
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            auto& member = m_members[i];
            const asio::ip::tcp::endpoint server(
                asio::ip::make_address("127.0.0.1"),
                static_cast<unsigned short>(ports[i % ports.size()]));
            asio::error_code error;
            member->socket.connect(server, error);
            if (error) {
                std::fprintf(stderr, "connect failed after %zu: %s\n", m_connected,
                             error.message().c_str());
                return false;
            }
            member->socket.set_option(asio::ip::tcp::no_delay(true), error);
            ++m_connected;
            if (m_tls) {
                member->link = i;
                m_tls->add(std::move(member->socket),
                           [this](bool secured) { ++(secured ? m_secured : m_refused); });
                continue;
            }
            member->socket.non_blocking(true, error);
            waitReadable(*member);
        }
        return true;
    }

    // In TLS: waits for every handshake, then starts reading. False when one
    // failed or did not end within `timeout`.
    bool secureAll(std::chrono::seconds timeout) {
        const auto start = Clock::now();
        runUntil([&] { return m_secured + m_refused == m_members.size(); }, start + timeout);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("TLS handshakes: %zu of %zu in %.2f s: %.0f per second\n", m_secured,
                    m_members.size(), seconds, static_cast<double>(m_secured) / seconds);
        for (auto& member : m_members) {
            m_tls->read(member->link, [this, &member = *member](std::string_view bytes) {
                consume(member, bytes);
            });
        }
        return m_secured == m_members.size();
    }

    void send(Member& member, std::string_view text) {
        std::string bytes = member.encoder.encode(lanzhou::protocol::pack(text));
        if (m_tls) {
            m_tls->send(member.link, std::move(bytes));
            return;
        }
        asio::error_code error;
        asio::write(member.socket, asio::buffer(bytes), error);  // small: the socket takes it
    }

    // Sends every login; returns when all are answered (or `timeout`).
    double loginAll(std::chrono::seconds timeout) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            send(*m_members[i], "#a3|" + memberName(static_cast<int>(i)) + "|pw");
        }
        runUntil([&] { return m_loggedIn == m_members.size(); }, start + timeout);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    std::size_t loggedIn() const { return m_loggedIn; }

    // Call before publishing the `count`th alert.
    void expectAlert(int count) {
        m_wantAlerts = count;
        m_haveAlerts = 0;
    }

    // Waits until every logged-in member has seen the expected alert.
    void waitForAlert(Clock::time_point deadline) {
        runUntil([&] { return m_haveAlerts == m_loggedIn; }, deadline);
    }

    // Milliseconds from `published` to each member's latest alert.
    std::vector<double> latencies(Clock::time_point published, int count) const {
        std::vector<double> values;
        values.reserve(m_members.size());
        for (const auto& member : m_members) {
            if (member->loggedIn && member->alertsSeen >= count) {
                values.push_back(
                    std::chrono::duration<double, std::milli>(member->lastAlert - published)
                        .count());
            }
        }
        return values;
    }

    void keepAlive() {
        for (auto& member : m_members) {
            send(*member, "1");
        }
    }

private:
    template <typename Done>
    void runUntil(Done done, Clock::time_point deadline) {
        // Out of work (the last handshake done, no read started yet) the
        // reactor stopped itself.
        if (m_io.stopped()) {
            m_io.restart();
        }
        while (!done() && Clock::now() < deadline) {
            m_io.run_one_until(deadline);
        }
    }

    void waitReadable(Member& member) {
        member.socket.async_wait(asio::ip::tcp::socket::wait_read,
                                 [this, &member](const asio::error_code& error) {
                                     if (!error) {
                                         onReadable(member);
                                     }
                                 });
    }

    void onReadable(Member& member) {
        for (;;) {
            asio::error_code error;
            const std::size_t size = member.socket.read_some(asio::buffer(m_readBuffer), error);
            if (error == asio::error::would_block || error == asio::error::try_again) {
                waitReadable(member);
                return;
            }
            if (error) {
                ++m_closed;
                return;
            }
            consume(member, std::string_view(m_readBuffer.data(), size));
        }
    }

    void consume(Member& member, std::string_view bytes) {
        m_frames.clear();
        member.decoder.feed(bytes, m_frames);
        for (const FrameEvent& frame : m_frames) {
            if (frame.kind != FrameEvent::Kind::Data ||
                !lanzhou::protocol::unpack(frame.data, m_text)) {
                continue;
            }
            handle(member, m_text);
        }
    }

    void handle(Member& member, std::string_view text) {
        if (text.starts_with("#ad") && !member.loggedIn) {
            member.loggedIn = true;
            ++m_loggedIn;
        } else if (text.starts_with("#ai")) {
            member.lastAlert = Clock::now();
            if (++member.alertsSeen == m_wantAlerts) {
                ++m_haveAlerts;
            }
        }
    }

    asio::io_context& m_io;
    std::unique_ptr<TlsLinks> m_tls;
    std::vector<std::unique_ptr<Member>> m_members;
    std::vector<char> m_readBuffer;
    std::vector<FrameEvent> m_frames;
    std::string m_text;
    std::size_t m_connected = 0;
    std::size_t m_loggedIn = 0;
    std::size_t m_closed = 0;
    std::size_t m_secured = 0;
    std::size_t m_refused = 0;
    int m_wantAlerts = 0;
    std::size_t m_haveAlerts = 0;
};

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index =
        static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

int run(lanzhou::server::Storage& storage, const Arguments& arguments) {
    lanzhou::platform::raiseOpenFileLimit();
    asio::io_context io(1);
    std::unique_ptr<TlsLinks> tls;
    if (!arguments.tlsAuthority.empty()) {
        std::string error;
        tls = TlsLinks::make(arguments.tlsAuthority, error);
        if (!tls) {
            std::fprintf(stderr, "server_load: %s\n", error.c_str());
            return 1;
        }
    }
    const bool secure = tls != nullptr;
    Load load(io, arguments.members, std::move(tls));
    if (!load.connectAll(arguments.ports) ||
        (secure && !load.secureAll(std::chrono::seconds(120)))) {
        return 1;
    }
    const double seconds = load.loginAll(std::chrono::seconds(60));
    std::printf("logins: %zu of %d in %.2f s: %.0f per second (target >= 1000)\n", load.loggedIn(),
                arguments.members, seconds, static_cast<double>(load.loggedIn()) / seconds);
    if (load.loggedIn() == 0) {
        return 1;
    }

    if (storage.eventSignal()) {
        // The servers are woken by the database when a publication commits.
        std::printf("operator events: signalled by the database to %zu server(s)\n",
                    arguments.ports.size());
    } else {
        // The server looks for new publications in the database at this
        // interval (lanzhou-server serve runs with the default), so every
        // publish-to-member figure holds a wait of 0 up to one interval.
        const auto poll = lanzhou::server::NetworkServer::Options{}.operatorPoll;
        std::printf(
            "operator poll interval: %lld ms (reported apart: each alert waits 0 to %lld ms "
            "for the server's next look at the database)\n",
            static_cast<long long>(poll.count()), static_cast<long long>(poll.count()));
    }

    std::vector<double> all;
    std::vector<double> afterFirst;
    for (int k = 1; k <= arguments.alerts; ++k) {
        load.keepAlive();
        lanzhou::protocol::AlertRecord alert;
        alert.time = lanzhou::protocol::formatDateTime(nowPlusDays(0));
        alert.code = std::to_string(600000 + k);
        alert.name = "bench";
        alert.operation = "buy";
        alert.buy = "10.00";
        alert.sell = "11.00";
        alert.remark = "fan-out " + std::to_string(k);
        alert.audience = "1";
        alert.popup = "0";
        load.expectAlert(k);
        const auto published = Clock::now();
        if (!storage.publishAlert(alert)) {
            std::fprintf(stderr, "publishing alert %d failed\n", k);
            return 1;
        }
        load.waitForAlert(published + std::chrono::seconds(30));
        const auto values = load.latencies(published, k);
        const double first = values.empty() ? 0 : *std::min_element(values.begin(), values.end());
        std::printf("alert %d: %zu members, first %.1f ms, p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
                    k, values.size(), first, percentile(values, 0.5), percentile(values, 0.99),
                    percentile(values, 1.0));
        all.insert(all.end(), values.begin(), values.end());
        for (const double value : values) {
            afterFirst.push_back(value - first);
        }
    }
    // From the publication's commit until a member has read and decoded the
    // alert: the wait for the next poll, reading the publication back,
    // packing it once, writing it to every connection, and this process
    // reading every socket.
    std::printf(
        "fan-out overall, publish to member: p50 %.1f ms, p99 %.1f ms "
        "(target p99 < 250 ms)\n",
        percentile(all, 0.5), percentile(all, 0.99));
    // The same from the moment the first member had it: the fan-out itself,
    // without the wait for the poll.
    std::printf("fan-out after the first member: p50 %.1f ms, p99 %.1f ms\n",
                percentile(afterFirst, 0.5), percentile(afterFirst, 0.99));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: server_load seed --db DATABASE [--members N]\n"
                     "       server_load run --db DATABASE --port PORT[,PORT...] [--members N] "
                     "[--alerts K] [--tls CAFILE]\n");
        return 1;
    }
    auto opened = lanzhou::server::openStorage(arguments.database, {});
    if (!opened) {
        std::fprintf(stderr, "server_load: %s\n", opened.error().c_str());
        return 1;
    }
    if (arguments.mode == "seed") {
        return seed(**opened, arguments.members);
    }
    return run(**opened, arguments);
}
