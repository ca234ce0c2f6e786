// The scripted service other test programs drive the client against.
#include "tests/support/fake_service.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "client/transport/erpc_client.h"
#include "protocol/message_catalogue.h"
#include "protocol/packed_payload.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

using transport::ERPCClient;

// One client on the service that asks and waits for the answer.
class ServiceClient final {
public:
    explicit ServiceClient(int port) : m_events(m_client) { EXPECT_TRUE(m_events.connect(port)); }

    std::string ask(const std::string& request) {
        const std::size_t before = m_events.count();
        m_client.send(protocol::pack(request));
        if (!m_events.waitForEvents(before + 1)) {
            return "(no answer)";
        }
        return m_events.seen()[before].data;
    }

    EventRecorder& events() { return m_events; }
    ERPCClient& client() { return m_client; }

private:
    ERPCClient m_client;
    EventRecorder m_events;
};

std::vector<std::string> alertIds(const std::string& answer) {
    const auto message = protocol::parseServerMessage(answer);
    std::vector<std::string> ids;
    if (const auto* list = std::get_if<std::vector<protocol::AlertRecord>>(&message.body)) {
        for (const auto& alert : *list) {
            ids.push_back(alert.id);
        }
    }
    return ids;
}

TEST(FakeService, AnswersAccountRequestsFromItsScript) {
    FakeServiceScript script = demoScript();
    script.answers["#a2"] = "#a7";
    FakeService service(script);
    ServiceClient client(service.port());

    const std::string demoExpiry = script.accounts[0].expiry;
    struct Case {
        std::string request;
        std::string answer;
    };
    const Case cases[] = {
        {"#a3|demo|demo", "#ad|" + demoExpiry + "|1|0"},
        {"#a3|demo|wrong", "#a0"},
        {"#a3|nobody|demo", "#a0"},
        {"#a2|demo|demo|12345", "#a7"},  // scripted per request code
        {"#a5|demo|qq|phone", "#afdemo"},
        {"#a5|nobody|qq|phone", "#ab"},
        {"#a4|free|secret|qq|phone", "#ae"},
        {"#a3|free|secret", "#ad|" + script.accounts[1].expiry + "|0|0"},  // password changed
        {"#a1|newbie|pw|qq|phone|00-11-22-33-44-55|0", "#a4"},
        {"#a3|newbie|pw", "#ad|" + protocol::formatDateTime(script.now) + "|0|0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(client.ask(c.request), c.answer) << c.request;
    }
}

TEST(FakeService, AlertListHoldsTheAudienceOldestFirst) {
    FakeService service;
    ServiceClient client(service.port());
    EXPECT_EQ(alertIds(client.ask("#591")), (std::vector<std::string>{"1001", "1003", "1005"}));
    EXPECT_EQ(alertIds(client.ask("#590")), (std::vector<std::string>{"1002", "1004"}));
    EXPECT_TRUE(alertIds(client.ask("#592")).empty());
}

TEST(FakeService, UnansweredRequestsGetNothing) {
    FakeServiceScript script = demoScript();
    script.unanswered = {"#55"};
    FakeService service(script);
    ServiceClient client(service.port());

    client.client().send(protocol::pack("#55"));
    EXPECT_EQ(client.ask("#56").substr(0, 3), "#56");  // the first answer is the second request's
    ASSERT_TRUE(service.server().waitForReceived(2, kPatience));
    EXPECT_EQ(client.events().count(), 1u);
}

TEST(FakeService, PublishReachesEveryConnection) {
    FakeService service;
    ServiceClient first(service.port());
    ServiceClient second(service.port());
    ASSERT_TRUE(service.server().waitForConnectionCount(2, kPatience));

    service.publish("#ak1001");
    ASSERT_TRUE(first.events().waitForEvents(1));
    ASSERT_TRUE(second.events().waitForEvents(1));
    EXPECT_EQ(first.events().seen()[0].data, "#ak1001");
    EXPECT_EQ(second.events().seen()[0].data, "#ak1001");
}

}  // namespace
}  // namespace lanzhou::test
