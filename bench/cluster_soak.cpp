// Soak of two lanzhou-server nodes on one database: members spread over both
// nodes, alerts published steadily, one node killed (SIGKILL) and restarted
// on a schedule, the killed node's members logging in again on the other,
// and 40% of the way through every two members racing for one recharge card. At the
// end each member asks for its alert list ("#59"). Faults counted:
//   - a session that received an alert twice, out of order or with a gap;
//   - a session open at the end that lacks the last alert published;
//   - a final list that is not every published alert once, in order;
//   - a card accepted twice, or accepted without the database saying so;
//   - an account missing from the database, a member not logged in at the
//     end, a publication that failed.
// Prints the counts; exits 1 on any fault.
//
//   cluster_soak --server PATH --db URI --seconds S [--members N] [--config FILE]

#include <algorithm>
#include <array>
#include <asio.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/child_process.h"
#include "platform/open_file_limit.h"
#include "protocol/frame_codec.h"
#include "protocol/message_catalogue.h"
#include "protocol/packed_payload.h"
#include "server/database/open_storage.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;
namespace protocol = lanzhou::protocol;

constexpr milliseconds kPublishEvery{200};
constexpr milliseconds kKeepAliveEvery{10'000};
constexpr milliseconds kRestartAfter{1000};
constexpr milliseconds kReconnectAfter{200};
constexpr seconds kSettle{20};
constexpr int kFirstCode = 700000;

struct Arguments {
    std::string server;
    std::string database;
    std::string config;
    int seconds = 20;
    int members = 200;
};

bool parseArguments(int argc, char** argv, Arguments& out) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--server") {
            out.server = value;
        } else if (name == "--db") {
            out.database = value;
        } else if (name == "--config") {
            out.config = value;
        } else if (name == "--seconds") {
            out.seconds = std::atoi(value);
        } else if (name == "--members") {
            out.members = std::atoi(value);
        } else {
            return false;
        }
    }
    return !out.server.empty() && !out.database.empty() && out.seconds > 0 && out.members >= 2;
}

std::string accountName(int index) {
    return "soak" + std::to_string(index);
}

std::string cardNumber(int index) {
    return "SOAK" + std::to_string(index);
}

protocol::DateTime nowPlusDays(int days) {
    const auto now =
        std::chrono::duration_cast<seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    return protocol::DateTime::fromTotalSeconds(now + std::int64_t{days} * 86400);
}

// One lanzhou-server serve process; the port stays the same across restarts.
class Node final {
public:
    explicit Node(const Arguments& arguments) : m_arguments(arguments) {}

    bool start() {
        std::vector<std::string> serve{"serve", "--db", m_arguments.database, "--listen",
                                       "127.0.0.1:" + std::to_string(m_port)};
        if (!m_arguments.config.empty()) {
            serve.push_back("--config");
            serve.push_back(m_arguments.config);
        }
        m_process = lanzhou::platform::ChildProcess::start(m_arguments.server, serve);
        if (!m_process) {
            return false;
        }
        std::string line;
        char buffer[256];
        while (line.find('\n') == std::string::npos) {
            const std::size_t n = m_process->readOutput(buffer, sizeof buffer);
            if (n == 0) {
                return false;
            }
            line.append(buffer, n);
        }
        const auto colon = line.rfind(':');
        m_port = std::atoi(line.c_str() + colon + 1);
        m_up = m_port > 0;
        return m_up;
    }

    void kill() {
        m_process->kill();
        (void)m_process->waitForExit(milliseconds(10'000));
        m_process.reset();
        m_up = false;
    }

    bool up() const { return m_up; }
    int port() const { return m_port; }

private:
    const Arguments& m_arguments;
    std::unique_ptr<lanzhou::platform::ChildProcess> m_process;
    int m_port = 0;
    bool m_up = false;
};

struct Member {
    explicit Member(asio::io_context& io) : socket(io), timer(io) {}
    int index = 0;
    int node = 0;
    asio::ip::tcp::socket socket;
    asio::steady_timer timer;
    protocol::ChunkDecoder decoder;
    protocol::FrameEncoder encoder;
    bool connected = false;
    bool loggedIn = false;
    int sessions = 0;
    std::vector<int> live;  // alert numbers of this session, as received
    std::optional<std::vector<int>> finalList;
};

class Soak final {
public:
    Soak(const Arguments& arguments, lanzhou::server::Storage& storage)
        : m_arguments(arguments),
          m_storage(storage),
          m_nodes{Node(arguments), Node(arguments)},
          m_publishTimer(m_io),
          m_scheduleTimer(m_io),
          m_keepAliveTimer(m_io),
          m_readBuffer(protocol::kMaxReadSize) {}

    int run() {
        if (!seed() || !m_nodes[0].start() || !m_nodes[1].start()) {
            std::fprintf(stderr, "cluster_soak: cannot seed or start the nodes\n");
            return 1;
        }
        for (int i = 0; i < m_arguments.members; ++i) {
            m_members.push_back(std::make_unique<Member>(m_io));
            m_members.back()->index = i;
            m_members.back()->node = i % 2;
            connect(*m_members.back());
        }
        runUntil([&] { return loggedIn() == m_members.size(); }, Clock::now() + seconds(60));
        if (loggedIn() != m_members.size()) {
            std::fprintf(stderr, "cluster_soak: %zu of %zu members logged in\n", loggedIn(),
                         m_members.size());
            return 1;
        }
        m_end = Clock::now() + seconds(m_arguments.seconds);
        publishSteadily();
        keepAlive();
        m_killEvery = std::max<milliseconds>(seconds(5), seconds(m_arguments.seconds) / 4);
        scheduleKill(Clock::now() + m_killEvery);
        runUntil([&] { return m_publishingDone; }, m_end + seconds(5));
        m_scheduleTimer.cancel();
        for (Node& node : m_nodes) {
            if (!node.up()) {
                (void)node.start();
            }
        }
        // Every member logged in and up to date, then the lists.
        runUntil([&] { return loggedIn() == m_members.size() && upToDate(); },
                 Clock::now() + kSettle);
        for (auto& member : m_members) {
            if (member->loggedIn) {
                send(*member, protocol::request::alertList(1));
            }
        }
        runUntil([&] { return listsReceived() == loggedIn(); }, Clock::now() + kSettle);
        m_keepAliveTimer.cancel();
        check();
        std::printf(
            "soak: %d s, %d alerts, %zu members, %d kills, %d logins again, %d cards accepted, "
            "%d faults\n",
            m_arguments.seconds, m_published, m_members.size(), m_kills, m_loginsAgain,
            m_cardsAccepted, m_faults);
        for (Node& node : m_nodes) {
            if (node.up()) {
                node.kill();
            }
        }
        return m_faults == 0 ? 0 : 1;
    }

private:
    bool seed() {
        for (int i = 0; i < m_arguments.members; ++i) {
            lanzhou::server::AccountRecord account;
            account.name = accountName(i);
            account.password = "pw";
            account.qq = "10001";
            account.phone = "13800000000";
            account.userType = 1;
            account.expiry = nowPlusDays(365);
            if (!m_storage.addAccount(account)) {
                return false;
            }
            if (i % 2 == 0) {
                lanzhou::server::CardRecord card;
                card.number = cardNumber(i / 2);
                card.days = 30;
                card.validUntil = nowPlusDays(30);
                if (!m_storage.addCard(card)) {
                    return false;
                }
            }
        }
        return true;
    }

    template <typename Done>
    void runUntil(Done done, Clock::time_point deadline) {
        while (!done() && Clock::now() < deadline) {
            m_io.run_one_until(deadline);
        }
    }

    std::size_t loggedIn() const {
        return static_cast<std::size_t>(std::count_if(m_members.begin(), m_members.end(),
                                                      [](const auto& m) { return m->loggedIn; }));
    }

    std::size_t listsReceived() const {
        return static_cast<std::size_t>(
            std::count_if(m_members.begin(), m_members.end(),
                          [](const auto& m) { return m->loggedIn && m->finalList; }));
    }

    bool upToDate() const {
        return std::all_of(m_members.begin(), m_members.end(), [&](const auto& m) {
            return !m->live.empty() && m->live.back() == m_published;
        });
    }

    void connect(Member& member) {
        Node& node = m_nodes[static_cast<std::size_t>(member.node)];
        if (!node.up()) {
            member.node = 1 - member.node;
            retry(member);
            return;
        }
        member.socket = asio::ip::tcp::socket(m_io);
        member.decoder = protocol::ChunkDecoder();
        member.encoder = protocol::FrameEncoder();
        const asio::ip::tcp::endpoint where(asio::ip::make_address("127.0.0.1"),
                                            static_cast<unsigned short>(node.port()));
        member.socket.async_connect(where, [this, &member](const asio::error_code& error) {
            if (error) {
                member.node = 1 - member.node;
                retry(member);
                return;
            }
            member.connected = true;
            member.live.clear();
            ++member.sessions;
            send(member, protocol::request::login(accountName(member.index), "pw"));
            read(member);
        });
    }

    void retry(Member& member) {
        member.timer.expires_after(kReconnectAfter);
        member.timer.async_wait([this, &member](const asio::error_code& error) {
            if (!error) {
                connect(member);
            }
        });
    }

    void lost(Member& member) {
        if (!member.connected) {
            return;
        }
        member.connected = false;
        member.loggedIn = false;
        asio::error_code ignored;
        member.socket.close(ignored);
        checkSession(member, false);
        // The node is gone: log in again on the other one.
        member.node = 1 - member.node;
        ++m_loginsAgain;
        retry(member);
    }

    void send(Member& member, std::string_view text) {
        const std::string bytes = member.encoder.encode(protocol::pack(text));
        asio::error_code error;
        asio::write(member.socket, asio::buffer(bytes), error);
    }

    void read(Member& member) {
        member.socket.async_read_some(
            asio::buffer(m_readBuffer),
            [this, &member](const asio::error_code& error, std::size_t size) {
                if (error) {
                    lost(member);
                    return;
                }
                m_frames.clear();
                member.decoder.feed(std::string_view(m_readBuffer.data(), size), m_frames);
                for (const protocol::FrameEvent& frame : m_frames) {
                    if (frame.kind == protocol::FrameEvent::Kind::Data &&
                        protocol::unpack(frame.data, m_text)) {
                        handle(member, m_text);
                    }
                }
                if (member.connected) {
                    read(member);
                }
            });
    }

    static int alertNumber(const protocol::AlertRecord& alert) {
        return std::atoi(alert.code.c_str()) - kFirstCode;
    }

    void handle(Member& member, std::string_view text) {
        const protocol::ServerMessage message = protocol::parseServerMessage(text);
        switch (message.code) {
            case protocol::ServerCode::LoginAccepted:
                member.loggedIn = true;
                break;
            case protocol::ServerCode::AlertAdded:
                if (const auto* alert = std::get_if<protocol::AlertRecord>(&message.body)) {
                    member.live.push_back(alertNumber(*alert));
                }
                break;
            case protocol::ServerCode::AlertList:
                if (const auto* list =
                        std::get_if<std::vector<protocol::AlertRecord>>(&message.body)) {
                    std::vector<int> numbers;
                    for (const auto& alert : *list) {
                        numbers.push_back(alertNumber(alert));
                    }
                    member.finalList = std::move(numbers);
                }
                break;
            case protocol::ServerCode::RechargeSucceeded:
                m_accepted[cardNumber(member.index / 2)].push_back(accountName(member.index));
                ++m_cardsAccepted;
                break;
            case protocol::ServerCode::LoggedInElsewhere:
                fault("member " + accountName(member.index) + " was logged in elsewhere");
                break;
            default:
                break;
        }
    }

    void publishSteadily() {
        m_publishTimer.expires_after(kPublishEvery);
        m_publishTimer.async_wait([this](const asio::error_code& error) {
            if (error) {
                return;
            }
            if (Clock::now() >= m_end) {
                m_publishingDone = true;
                return;
            }
            protocol::AlertRecord alert;
            alert.time = protocol::formatDateTime(nowPlusDays(0));
            alert.code = std::to_string(kFirstCode + m_published + 1);
            alert.name = "soak";
            alert.operation = "buy";
            alert.buy = "10.00";
            alert.sell = "11.00";
            alert.remark = "soak";
            alert.audience = "1";
            alert.popup = "0";
            if (m_storage.publishAlert(alert)) {
                ++m_published;
            } else {
                fault("publishing alert " + alert.code + " failed");
            }
            // Between two kills: 40% of the way.
            if (!m_recharged && Clock::now() >= m_end - seconds(m_arguments.seconds) * 3 / 5) {
                m_recharged = true;
                for (auto& member : m_members) {
                    if (member->loggedIn) {
                        send(*member, protocol::request::recharge(accountName(member->index), "pw",
                                                                  cardNumber(member->index / 2)));
                    }
                }
            }
            publishSteadily();
        });
    }

    void keepAlive() {
        m_keepAliveTimer.expires_after(kKeepAliveEvery);
        m_keepAliveTimer.async_wait([this](const asio::error_code& error) {
            if (error) {
                return;
            }
            for (auto& member : m_members) {
                if (member->connected) {
                    send(*member, protocol::request::kKeepAlive);
                }
            }
            keepAlive();
        });
    }

    // Kills the next node, and restarts it a second later.
    void scheduleKill(Clock::time_point at) {
        if (at + kRestartAfter >= m_end) {
            return;
        }
        m_scheduleTimer.expires_at(at);
        m_scheduleTimer.async_wait([this, at](const asio::error_code& error) {
            if (error) {
                return;
            }
            Node& node = m_nodes[static_cast<std::size_t>(m_kills % 2)];
            node.kill();
            ++m_kills;
            m_scheduleTimer.expires_after(kRestartAfter);
            m_scheduleTimer.async_wait([this, &node, at](const asio::error_code& restartError) {
                if (restartError) {
                    return;
                }
                if (!node.start()) {
                    fault("a node did not start again");
                }
                scheduleKill(at + m_killEvery);
            });
        });
    }

    // The alerts of one session: each once, in order, without a gap; a
    // session open at the end has the last one.
    void checkSession(const Member& member, bool open) {
        const std::string who = accountName(member.index);
        for (std::size_t i = 1; i < member.live.size(); ++i) {
            if (member.live[i] != member.live[i - 1] + 1) {
                fault(who + ": alert " + std::to_string(member.live[i]) + " after " +
                      std::to_string(member.live[i - 1]));
                return;
            }
        }
        if (member.sessions == 1 && !member.live.empty() && member.live.front() != 1) {
            fault(who + ": the first alert received was " + std::to_string(member.live.front()));
        }
        if (open && (member.live.empty() || member.live.back() != m_published)) {
            fault(who + ": the last alert was not received");
        }
    }

    void check() {
        std::vector<int> all;
        for (int n = 1; n <= m_published; ++n) {
            all.push_back(n);
        }
        for (const auto& member : m_members) {
            if (!member->loggedIn) {
                fault(accountName(member->index) + " is not logged in at the end");
                continue;
            }
            checkSession(*member, true);
            if (!member->finalList || *member->finalList != all) {
                fault(accountName(member->index) + ": the alert list is not every alert once");
            }
        }
        std::set<std::string> accounts;
        for (const auto& account : m_storage.listAccounts()) {
            accounts.insert(account.name);
        }
        for (int i = 0; i < m_arguments.members; ++i) {
            if (!accounts.contains(accountName(i))) {
                fault("account " + accountName(i) + " lost");
            }
        }
        std::map<std::string, lanzhou::server::CardRecord> cards;
        for (auto& card : m_storage.listCards()) {
            cards.emplace(card.number, card);
        }
        for (const auto& [number, takers] : m_accepted) {
            const auto found = cards.find(number);
            if (takers.size() > 1) {
                fault("card " + number + " accepted " + std::to_string(takers.size()) + " times");
            } else if (found == cards.end() || !found->second.used ||
                       found->second.usedBy != takers.front()) {
                fault("card " + number + " accepted but not recorded as used by its taker");
            }
        }
    }

    void fault(const std::string& what) {
        ++m_faults;
        if (m_faults <= 20) {
            std::fprintf(stderr, "fault: %s\n", what.c_str());
        }
    }

    const Arguments& m_arguments;
    lanzhou::server::Storage& m_storage;
    asio::io_context m_io{1};
    std::array<Node, 2> m_nodes;
    asio::steady_timer m_publishTimer;
    asio::steady_timer m_scheduleTimer;
    asio::steady_timer m_keepAliveTimer;
    std::vector<std::unique_ptr<Member>> m_members;
    std::vector<char> m_readBuffer;
    std::vector<protocol::FrameEvent> m_frames;
    std::string m_text;
    std::map<std::string, std::vector<std::string>> m_accepted;  // card -> accounts
    Clock::time_point m_end;
    milliseconds m_killEvery{5000};
    int m_published = 0;
    int m_kills = 0;
    int m_loginsAgain = 0;
    int m_cardsAccepted = 0;
    int m_faults = 0;
    bool m_publishingDone = false;
    bool m_recharged = false;
};

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: cluster_soak --server PATH --db URI --seconds S [--members N] "
                     "[--config FILE]\n");
        return 1;
    }
    lanzhou::platform::raiseOpenFileLimit();
    auto opened = lanzhou::server::openStorage(arguments.database, {});
    if (!opened) {
        std::fprintf(stderr, "cluster_soak: %s\n", opened.error().c_str());
        return 1;
    }
    Soak soak(arguments, **opened);
    return soak.run();
}
