#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/texts.h"
#include "protocol/message_catalogue.h"
#include "protocol/packed_payload.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using DispatcherConnection = SessionFixture;

TEST_F(DispatcherConnection, ClosedConnectionShowsTheDisconnectPrompt) {
    dispatcher.onConnectionEvent(transport::EventKind::Closed, {});
    const std::string expected = core::gbk(core::text::kDisconnected);
    EXPECT_EQ(view.calls(), (std::vector<ViewCall>{{"connectionClosed", expected}}));
    EXPECT_EQ(session.promptText, expected);
}

TEST_F(DispatcherConnection, DataIsUnpackedAndReadUpToTheFirstZeroByte) {
    using namespace std::string_literals;
    dispatcher.onConnectionEvent(transport::EventKind::Data,
                                 protocol::pack("#TM2013-11-24 09:05:03\0#54|9|x"s));
    scheduler.runAll();
    EXPECT_EQ(session.serverTime.now(), (protocol::DateTime{2013, 11, 24, 9, 5, 3}));
    EXPECT_EQ(sender.sent(), std::vector<std::string>{"#57"});
    EXPECT_EQ(session.serverVersion, 0);
}

TEST_F(DispatcherConnection, UnreadableDataDoesNothing) {
    const std::string packed = protocol::pack("#54|9|x");
    struct Case {
        const char* name;
        std::string data;
    };
    const std::vector<Case> cases = {
        {"not a payload", "#54|9|x"},
        {"truncated payload", packed.substr(0, packed.size() - 3)},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dispatcher.onConnectionEvent(transport::EventKind::Data, c.data);
    }
    scheduler.runAll();
    EXPECT_TRUE(sender.sent().empty());
    EXPECT_TRUE(view.calls().empty());

    dispatcher.onConnectionEvent(transport::EventKind::Data, packed);  // whole, they work
    EXPECT_EQ(session.serverVersion, 9);
}

}  // namespace
}  // namespace lanzhou::test
