#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/support/fake_server.h"

namespace lanzhou::test {

// What a FakeService answers. Texts are GBK.
struct FakeServiceScript {
    protocol::VersionInfo version{1, ""};
    protocol::SessionConfig config;  // defaults: title "澜舟演示" (GBK), heartbeat 30, popup 5 s
    std::string bulletin;            // GBK HTML
    protocol::DateTime now;          // what "#TM" says (default: the local time at start)
    protocol::ChannelTable channels;
    protocol::WebPageTable pages;
    struct Account {
        std::string name, password, expiry;
        std::int32_t userType = 0;
        std::string boundAdapter = "0";
    };
    std::vector<Account> accounts;  // default: demo/demo paying (expiry next year), free/free
    std::vector<protocol::AlertRecord> alerts;   // "#59" answers (filtered by audience)
    std::map<std::string, std::string> answers;  // request code ("#a1".."#a5") -> answer text;
                                                 // defaults: #a1->"#a4", #a2->"#aa",
                                                 // #a4->"#ae", #a5->"#af"+password of the account

    // Answers to the handshake requests ("#54" "#55" "#56" "#TM" "#57" "#58")
    // go out after this delay.
    std::chrono::milliseconds handshakeDelay{0};
    // Request codes (or "1" for the keep-alive) that get no answer at all.
    std::set<std::string> unanswered;
};

// The defaults above plus a few alerts of today and yesterday for both
// audiences, oldest first.
FakeServiceScript demoScript();

// A small scripted service on a FakeServer: answers the handshake, logins
// from the account table ("#ad" expiry|type|boundAdapter, or "#a0"), "#59" +
// type with the alerts of that audience (oldest first, so the newest ends on
// top), "#a1".."#a5" with the scripted answers, and ignores the rest. A
// successful registration ("#a4" answer) adds a free account; a successful
// password change ("#ae") changes the account's password.
class FakeService final {
public:
    explicit FakeService(FakeServiceScript script = demoScript());
    // On a fixed port (0: ephemeral); port() is 0 when it could not listen.
    FakeService(FakeServiceScript script, std::uint16_t port);
    // Behind TLS (see FakeServer); port() is 0 when the files cannot be used.
    FakeService(FakeServiceScript script, const FakeServer::TlsFiles& tls, std::uint16_t port = 0);

    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    int port() const;
    FakeServer& server();

    // Sends a server message to every open connection.
    void publish(std::string_view text);

    // A test's own observer of the requests, called on the server thread
    // after the service has answered.
    void onRequest(FakeServer::MessageHandler observer);

    // The script as it stands (accounts change with registrations).
    FakeServiceScript script() const;
    // Changes the script for the requests that come after.
    void editScript(const std::function<void(FakeServiceScript&)>& edit);

private:
    void answer(int connection, const std::string& text);
    void reply(int connection, std::string_view request, const std::string& text,
               std::chrono::milliseconds delay = std::chrono::milliseconds::zero());

    mutable std::mutex m_mutex;
    FakeServiceScript m_script;
    FakeServer::MessageHandler m_observer;
    FakeServer m_server;  // declared last, destroyed first: its thread ends before the rest
};

}  // namespace lanzhou::test
