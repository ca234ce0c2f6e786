#include "server/service/service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "protocol/message_catalogue.h"
#include "tests/server/fake_storage.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::server {
namespace {

using protocol::ServerCode;
using test::G;

// What the service sent: one entry per send or sendToMany call.
class RecordingOutput final : public ServiceOutput {
public:
    struct Sent {
        std::vector<ConnectionId> to;
        std::string text;
    };
    std::vector<Sent> sent;
    std::vector<ConnectionId> closed;

    void send(ConnectionId connection, std::string_view text) override {
        sent.push_back({{connection}, std::string(text)});
    }
    void sendToMany(std::span<const ConnectionId> connections, std::string_view text) override {
        sent.push_back({{connections.begin(), connections.end()}, std::string(text)});
    }
    void close(ConnectionId connection) override { closed.push_back(connection); }

    // The texts that reached `connection`, in order.
    std::vector<std::string> textsTo(ConnectionId connection) const {
        std::vector<std::string> texts;
        for (const Sent& s : sent) {
            if (std::find(s.to.begin(), s.to.end(), connection) != s.to.end()) {
                texts.push_back(s.text);
            }
        }
        return texts;
    }
};

const protocol::DateTime kNow{2024, 3, 5, 9, 8, 7};

AccountRecord account(std::string name, std::string password, std::int32_t type,
                      protocol::DateTime expiry, std::string adapter = "") {
    return {std::move(name), std::move(password), "111", "222", std::move(adapter), type, expiry};
}

protocol::AlertRecord alertRecord(std::string id, std::string audience, std::string remark = "r") {
    return {id,        "2024-03-05 09:00:00",
            "600000",  G("浦发银行"),
            G("买入"), "10.1",
            "11.2",    remark,
            audience,  "1"};
}

class ServiceTest : public ::testing::Test {
protected:
    ServiceTest() {
        storage.putAccount(account("free", "fpw", 0, protocol::DateTime::null()));
        storage.putAccount(account("paid", "ppw", 1, {2030, 1, 1, 0, 0, 0}, "00-1A-2B-3C-4D-5E"));
        // Paying, but the membership ended one second ago.
        storage.putAccount(account("lapsed", "lpw", 1, kNow.plusSeconds(-1)));
        storage.putAccount(account(G("会员"), G("密码"), 1, kNow));
    }

    Service& service() {
        if (!m_service) {
            m_service = std::make_unique<Service>(settings, storage, output, [] { return kNow; });
        }
        return *m_service;
    }

    // Sends one request and returns what reached that connection for it.
    std::vector<std::string> ask(ConnectionId connection, const std::string& text) {
        output.sent.clear();
        service().request(connection, text);
        return output.textsTo(connection);
    }

    std::string answer(ConnectionId connection, const std::string& text) {
        const std::vector<std::string> texts = ask(connection, text);
        EXPECT_EQ(texts.size(), 1u) << text;
        return texts.empty() ? std::string() : texts.front();
    }

    void connectAndLogIn(ConnectionId connection, const std::string& name,
                         const std::string& password) {
        service().connected(connection);
        ASSERT_EQ(
            protocol::serverCodeOf(answer(connection, protocol::request::login(name, password))),
            ServerCode::LoginAccepted)
            << name;
    }

    ServiceSettings settings = defaultServiceSettings();
    test::FakeStorage storage;
    RecordingOutput output;

private:
    std::unique_ptr<Service> m_service;
};

// ------------------------------------------------------------ handshake

TEST_F(ServiceTest, HandshakeAnswersKeepTheirPieceCountsWithEmptyValues) {
    struct Case {
        const char* name;
        void (*adjust)(ServiceSettings&);
    };
    const Case cases[] = {
        {"defaults", [](ServiceSettings&) {}},
        {"empty values",
         [](ServiceSettings& s) {
             s.version.updateArgument.clear();
             s.session.productTitle.clear();
             s.session.fontSize.clear();
             s.session.supportQq.clear();
             s.session.supportShopChat.clear();
             s.session.unused28.clear();
             s.bulletinHtml.clear();
             for (auto& channel : s.channels) {
                 channel = {};
             }
             for (auto& page : s.webPages) {
                 page = {};
             }
         }},
        {"every value set",
         [](ServiceSettings& s) {
             s.version = {7, "http://example.invalid/update.zip"};
             s.session.supportQq = "12345";
             s.session.supportShopChat = G("客服");
             s.session.registrationClosed = true;
             s.session.refuseUnpaid = true;
             s.webPages[5] = {G("页"), "http://127.0.0.1/x.html", true, false};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceSettings adjusted = defaultServiceSettings();
        c.adjust(adjusted);
        RecordingOutput out;
        Service s(adjusted, storage, out, [] { return kNow; });
        const ConnectionId id = 1;
        s.connected(id);
        for (const std::string_view request :
             {protocol::request::kVersion, protocol::request::kSessionConfig,
              protocol::request::kBulletin, protocol::request::kServerTime,
              protocol::request::kChannels, protocol::request::kWebPages}) {
            s.request(id, request);
        }
        const std::vector<std::string> texts = out.textsTo(id);
        ASSERT_EQ(texts.size(), 6u);

        const auto version = protocol::parseServerMessage(texts[0]);
        ASSERT_TRUE(std::holds_alternative<protocol::VersionInfo>(version.body)) << texts[0];
        const auto& info = std::get<protocol::VersionInfo>(version.body);
        EXPECT_EQ(info.serverVersion, adjusted.version.serverVersion);
        EXPECT_EQ(info.updateArgument,
                  adjusted.version.updateArgument.empty() ? "-" : adjusted.version.updateArgument);

        const auto session = protocol::parseServerMessage(texts[1]);
        ASSERT_TRUE(std::holds_alternative<protocol::SessionConfig>(session.body)) << texts[1];
        protocol::SessionConfig expected = adjusted.session;
        expected.unused28 = "0";
        EXPECT_EQ(std::get<protocol::SessionConfig>(session.body), expected);

        const auto bulletin = protocol::parseServerMessage(texts[2]);
        ASSERT_TRUE(std::holds_alternative<std::string>(bulletin.body)) << texts[2];
        EXPECT_EQ(std::get<std::string>(bulletin.body), adjusted.bulletinHtml);

        EXPECT_EQ(texts[3], "#TM2024-03-05 09:08:07");

        const auto channels = protocol::parseServerMessage(texts[4]);
        ASSERT_TRUE(std::holds_alternative<protocol::ChannelTable>(channels.body)) << texts[4];
        EXPECT_EQ(std::get<protocol::ChannelTable>(channels.body), adjusted.channels);

        const auto pages = protocol::parseServerMessage(texts[5]);
        ASSERT_TRUE(std::holds_alternative<protocol::WebPageTable>(pages.body)) << texts[5];
        EXPECT_EQ(std::get<protocol::WebPageTable>(pages.body), adjusted.webPages);
    }
}

TEST_F(ServiceTest, RequestsOfUnknownConnectionsAreIgnored) {
    service().connected(1);
    service().disconnected(1);
    EXPECT_TRUE(ask(1, std::string(protocol::request::kVersion)).empty());
    EXPECT_TRUE(ask(2, protocol::request::login("free", "fpw")).empty());
    EXPECT_EQ(service().connectionCount(), 0u);
    EXPECT_EQ(service().memberCount(), 0u);
}

TEST_F(ServiceTest, KeepAliveAndUnknownRequestsAreNotAnswered) {
    service().connected(1);
    for (const std::string text : {"1", "", "#60", "#ad|x|1|0", "#ai1|2", "hello", "#6"}) {
        EXPECT_TRUE(ask(1, text).empty()) << text;
    }
    EXPECT_EQ(service().connectionCount(), 1u);
    EXPECT_TRUE(output.closed.empty());
}

// Requests made of real codes, separators, double-byte lead bytes and noise:
// every answer is a message of the catalogue, and the state stays sound.
TEST_F(ServiceTest, ArbitraryRequestsGetCatalogueAnswersOnly) {
    const std::vector<std::string> parts = {
        "#a1", "#a2", "#a3",      "#a4",      "#a5",  "#59", "#54",  "#az",
        "1",   "|",   "\xA1\xEE", "\xA1\xA9", "\x81", "\0",  "free", "fpw",
        "111", "222", "paid",     "ppw",      "",     "x",   "-1",   "99999999999"};
    std::mt19937 random(2024);
    for (ConnectionId id = 1; id <= 4; ++id) {
        service().connected(id);
    }
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int count = static_cast<int>(random() % 8);
        for (int k = 0; k < count; ++k) {
            text += parts[random() % parts.size()];
        }
        const ConnectionId id = 1 + random() % 4;
        for (const std::string& sent : ask(id, text)) {
            ASSERT_NE(protocol::serverCodeOf(sent), ServerCode::Unknown) << text;
        }
    }
    EXPECT_EQ(service().connectionCount(), 4u);
    EXPECT_LE(service().memberCount(), 2u);  // two accounts can be logged in with these parts
    EXPECT_EQ(storage.accounts["free"].password, "fpw");
}

// ---------------------------------------------------------------- login

TEST_F(ServiceTest, LoginAnswers) {
    struct Case {
        std::string request;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {protocol::request::login("free", "fpw"), "#ad|100-01-01 00:00:00|0|0"},
        {protocol::request::login("paid", "ppw"), "#ad|2030-01-01 00:00:00|1|00-1A-2B-3C-4D-5E"},
        // An expired paying member gets its stored type: the client decides.
        {protocol::request::login("lapsed", "lpw"), "#ad|2024-03-05 09:08:06|1|0"},
        {protocol::request::login(G("会员"), G("密码")), "#ad|2024-03-05 09:08:07|1|0"},
        {protocol::request::login("nobody", "x"), "#a0"},
        {protocol::request::login("free", "wrong"), "#a0"},
        {protocol::request::login("free", "FPW"), "#a0"},
        {protocol::request::login("free", ""), "#a0"},  // one field: malformed
        {"#a3", "#a0"},
        {"#a3|free|fpw|x", "#a0"},
        {"#a3||fpw", "#a0"},
    };
    for (const Case& c : cases) {
        service().connected(7);
        EXPECT_EQ(answer(7, c.request), c.expected) << c.request;
        service().disconnected(7);
    }
    EXPECT_EQ(service().memberCount(), 0u);
}

TEST_F(ServiceTest, ASecondLoginTellsTheOlderConnectionFirst) {
    connectAndLogIn(1, "paid", "ppw");
    service().connected(2);
    output.sent.clear();
    service().request(2, protocol::request::login("paid", "ppw"));
    ASSERT_EQ(output.sent.size(), 2u);
    EXPECT_EQ(output.sent[0].to, std::vector<ConnectionId>{1});
    EXPECT_EQ(output.sent[0].text, "#ag");
    EXPECT_EQ(output.sent[1].to, std::vector<ConnectionId>{2});
    EXPECT_EQ(protocol::serverCodeOf(output.sent[1].text), ServerCode::LoginAccepted);
    EXPECT_EQ(service().memberCount(), 1u);

    // The older connection counts as logged out.
    EXPECT_EQ(answer(1, protocol::request::alertList(1)), "#59|");

    // Logging in again on the same connection is no second login.
    EXPECT_EQ(ask(2, protocol::request::login("paid", "ppw")).size(), 1u);
    EXPECT_TRUE(output.textsTo(1).empty());

    // A failed login leaves the current one in place.
    service().connected(3);
    EXPECT_EQ(answer(3, protocol::request::login("paid", "wrong")), "#a0");
    EXPECT_TRUE(output.textsTo(2).empty());
    EXPECT_EQ(service().memberCount(), 1u);
}

TEST_F(ServiceTest, OneConnectionChangingAccountLeavesTheFirst) {
    connectAndLogIn(1, "free", "fpw");
    ASSERT_EQ(protocol::serverCodeOf(answer(1, protocol::request::login("paid", "ppw"))),
              ServerCode::LoginAccepted);
    EXPECT_EQ(service().memberCount(), 1u);
    // "free" is no longer logged in anywhere: logging it in elsewhere sends no "#ag".
    service().connected(2);
    output.sent.clear();
    service().request(2, protocol::request::login("free", "fpw"));
    EXPECT_TRUE(output.textsTo(1).empty());
}

TEST_F(ServiceTest, LogoutAndDisconnectEndTheLogin) {
    connectAndLogIn(1, "paid", "ppw");
    connectAndLogIn(2, "free", "fpw");
    EXPECT_EQ(service().memberCount(), 2u);

    EXPECT_TRUE(ask(1, std::string(protocol::request::kLogout)).empty());
    EXPECT_EQ(service().memberCount(), 1u);
    EXPECT_EQ(answer(1, protocol::request::alertList(1)), "#59|");

    service().disconnected(2);
    EXPECT_EQ(service().connectionCount(), 1u);
    EXPECT_EQ(service().memberCount(), 0u);
    // A new login of the account finds no older connection to tell.
    service().connected(3);
    output.sent.clear();
    service().request(3, protocol::request::login("free", "fpw"));
    ASSERT_EQ(output.sent.size(), 1u);
    EXPECT_EQ(output.sent[0].to, std::vector<ConnectionId>{3});
}

// ---------------------------------------------------- account requests

TEST_F(ServiceTest, RegistrationAnswers) {
    const std::string valid =
        protocol::request::registration(G("新会员"), "pw", "123", "555", "00-11-22-33-44-55", true);
    struct Case {
        std::string request;
        std::optional<RegisterResult> forced;
        std::string expected;
        bool reachesStorage;
    };
    const std::vector<Case> cases = {
        {valid, RegisterResult::Registered, "#a4", true},
        {valid, RegisterResult::AccountExists, "#a2", true},
        {valid, RegisterResult::MachineTaken, "#a1", true},
        {valid, RegisterResult::Failed, "#a3", true},
        {protocol::request::registration("a", "pw", "123", "555", "", false), std::nullopt, "#a4",
         true},
        // Refused before the storage: malformed, empty or unsafe fields.
        {"#a1|a|pw|123|555|", std::nullopt, "#a3", false},
        {"#a1|a|pw|123", std::nullopt, "#a3", false},
        {"#a1||pw|123|555||0", std::nullopt, "#a3", false},
        {"#a1|a||123|555||0", std::nullopt, "#a3", false},
        {"#a1|a|pw||555||0", std::nullopt, "#a3", false},
        {"#a1|a|pw|123|||0", std::nullopt, "#a3", false},
        {protocol::request::registration("a", "pw", G("12☆3"), "555", "", false), std::nullopt,
         "#a3", false},
        {protocol::request::registration(G("a々"), "pw", "123", "555", "", false), std::nullopt,
         "#a3", false},
        {protocol::request::registration(std::string(129, 'a'), "pw", "123", "555", "", false),
         std::nullopt, "#a3", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        storage.nextRegister = c.forced;
        const int callsBefore = storage.accountCalls;
        service().connected(1);
        EXPECT_EQ(answer(1, c.request), c.expected);
        EXPECT_EQ(storage.accountCalls > callsBefore, c.reachesStorage);
    }
}

TEST_F(ServiceTest, RegistrationStoresAFreeAccountWithTheAdapter) {
    settings.oneAccountPerComputer = true;
    service().connected(1);
    EXPECT_EQ(answer(1, protocol::request::registration("acc", "pw", "123", "555",
                                                        "00-11-22-33-44-55", true)),
              "#a4");
    EXPECT_EQ(storage.last.arguments,
              (std::vector<std::string>{"acc", "pw", "123", "555", "00-11-22-33-44-55", "0"}));
    EXPECT_TRUE(storage.last.onePerComputer);
    // The same computer again.
    EXPECT_EQ(answer(1, protocol::request::registration("acc2", "pw", "123", "555",
                                                        "00-11-22-33-44-55", true)),
              "#a1");
    // The new account logs in as a free member bound to its adapter.
    EXPECT_EQ(answer(1, protocol::request::login("acc", "pw")),
              "#ad|100-01-01 00:00:00|0|00-11-22-33-44-55");
}

TEST_F(ServiceTest, RegistrationClosedRefusesEveryRegistration) {
    settings.session.registrationClosed = true;
    service().connected(1);
    EXPECT_EQ(answer(1, protocol::request::registration("acc", "pw", "1", "2", "", false)), "#a3");
    EXPECT_FALSE(storage.accounts.contains("acc"));
}

TEST_F(ServiceTest, RechargeAnswers) {
    const std::string valid = protocol::request::recharge("free", "fpw", "CARD1");
    const std::vector<std::pair<RechargeResult, std::string>> results = {
        {RechargeResult::Recharged, "#aa"},     {RechargeResult::UnknownAccount, "#a5"},
        {RechargeResult::WrongPassword, "#a6"}, {RechargeResult::BadCard, "#a7"},
        {RechargeResult::CardExpired, "#a8"},   {RechargeResult::Failed, "#a9"},
    };
    service().connected(1);
    for (const auto& [result, expected] : results) {
        storage.nextRecharge = result;
        EXPECT_EQ(answer(1, valid), expected);
        EXPECT_EQ(storage.last.arguments, (std::vector<std::string>{"free", "fpw", "CARD1"}));
        EXPECT_EQ(storage.last.now, kNow);
    }
    for (const std::string malformed : {"#a2|free|fpw|", "#a2|free|fpw", "#a2", "#a2|a|b|c|d"}) {
        EXPECT_EQ(answer(1, malformed), "#a9") << malformed;
    }
}

TEST_F(ServiceTest, ChangePasswordAnswers) {
    struct Case {
        std::string request;
        std::optional<ChangeResult> forced;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {protocol::request::changePassword("free", "new", "111", "222"), ChangeResult::Changed,
         "#ae"},
        {protocol::request::changePassword("free", "new", "111", "222"), ChangeResult::DataWrong,
         "#ab"},
        {protocol::request::changePassword("free", "new", "111", "222"), ChangeResult::Failed,
         "#ac"},
        {protocol::request::changePassword("free", "new", "111", "999"), std::nullopt, "#ab"},
        {"#a4|free|new|111|", std::nullopt, "#ab"},
        {"#a4|free|new|111", std::nullopt, "#ab"},
        // Account, QQ and telephone must all be given.
        {"#a4|free|new||222", std::nullopt, "#ab"},
        {"#a4||new|111|222", std::nullopt, "#ab"},
        {"#a4|free||111|222", std::nullopt, "#ac"},
        {protocol::request::changePassword("free", std::string(129, 'p'), "111", "222"),
         std::nullopt, "#ac"},
    };
    service().connected(1);
    for (const Case& c : cases) {
        storage.nextChange = c.forced;
        EXPECT_EQ(answer(1, c.request), c.expected) << c.request;
        storage.nextChange.reset();
    }
    EXPECT_EQ(storage.accounts["free"].password, "fpw");

    EXPECT_EQ(answer(1, protocol::request::changePassword("free", G("新密码"), "111", "222")),
              "#ae");
    EXPECT_EQ(answer(1, protocol::request::login("free", G("新密码"))).substr(0, 3), "#ad");
}

TEST_F(ServiceTest, RetrievePasswordAnswers) {
    struct Case {
        std::string request;
        std::string expected;
        bool reachesStorage;
    };
    const std::vector<Case> cases = {
        {protocol::request::retrievePassword("free", "111", "222"), "#affpw", true},
        {protocol::request::retrievePassword(G("会员"), "111", "222"), "#af" + G("密码"), true},
        {protocol::request::retrievePassword("free", "111", "999"), "#ab", true},
        {protocol::request::retrievePassword("nobody", "111", "222"), "#ab", true},
        {"#a5|free||222", "#ab", false},
        {"#a5|free|111|", "#ab", false},
        {"#a5", "#ab", false},
        {"#a5|free|111|222|x", "#ab", false},
    };
    service().connected(1);
    for (const Case& c : cases) {
        const int callsBefore = storage.accountCalls;
        EXPECT_EQ(answer(1, c.request), c.expected) << c.request;
        EXPECT_EQ(storage.accountCalls > callsBefore, c.reachesStorage) << c.request;
    }
}

// ----------------------------------------------------------- alert list

TEST_F(ServiceTest, AlertListAudienceIsTheLowerOfRequestedAndOwnType) {
    storage.alerts = {alertRecord("1", "0"), alertRecord("2", "1"), alertRecord("3", "0")};
    settings.alertListCount = 42;
    struct Case {
        std::string account;
        std::string password;
        std::int32_t requested;
        std::int32_t audience;
    };
    const std::vector<Case> cases = {
        {"paid", "ppw", 1, 1},        {"paid", "ppw", 0, 0}, {"paid", "ppw", 5, 1},
        {"free", "fpw", 1, 0},        {"free", "fpw", 0, 0}, {"lapsed", "lpw", 1, 0},
        {G("会员"), G("密码"), 1, 1},  // expiring this very second still counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account + " asks " + std::to_string(c.requested));
        connectAndLogIn(1, c.account, c.password);
        const std::string text = answer(1, protocol::request::alertList(c.requested));
        EXPECT_EQ(storage.last.audience, c.audience);
        EXPECT_EQ(storage.last.count, 42);
        const auto parsed = protocol::parseServerMessage(text);
        ASSERT_TRUE(std::holds_alternative<std::vector<protocol::AlertRecord>>(parsed.body));
        const auto& list = std::get<std::vector<protocol::AlertRecord>>(parsed.body);
        std::vector<std::string> ids;
        for (const auto& alert : list) {
            ids.push_back(alert.id);
        }
        const std::vector<std::string> expected =
            c.audience == 1 ? std::vector<std::string>{"2"} : std::vector<std::string>{"1", "3"};
        EXPECT_EQ(ids, expected);
        service().disconnected(1);
    }
}

TEST_F(ServiceTest, AlertListIsEmptyWithoutALogin) {
    storage.alerts = {alertRecord("1", "0")};
    service().connected(1);
    EXPECT_EQ(answer(1, protocol::request::alertList(0)), "#59|");
    EXPECT_EQ(answer(1, protocol::request::alertList(1)), "#59|");
    EXPECT_EQ(storage.alertListCalls, 0);

    connectAndLogIn(2, "paid", "ppw");
    EXPECT_EQ(answer(2, "#59-1"), "#59|");
}

TEST_F(ServiceTest, AlertListKeepsRecordsWithAnEmptyRemark) {
    // The remark ends a record; sent empty, the clients would drop the record.
    storage.alerts = {alertRecord("1", "0", ""), alertRecord("2", "0", G("备注"))};
    connectAndLogIn(1, "free", "fpw");
    const auto parsed = protocol::parseServerMessage(answer(1, protocol::request::alertList(0)));
    const auto& list = std::get<std::vector<protocol::AlertRecord>>(parsed.body);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, "1");
    EXPECT_EQ(list[0].remark, " ");
    EXPECT_EQ(list[1].remark, G("备注"));
}

// ------------------------------------------------------ operator events

class ServiceFanOutTest : public ServiceTest {
protected:
    // 1 free, 2 paying, 3 lapsed (free), 4 connected only, 5 paying then logged out.
    void SetUp() override {
        connectAndLogIn(1, "free", "fpw");
        connectAndLogIn(2, "paid", "ppw");
        connectAndLogIn(3, "lapsed", "lpw");
        service().connected(4);
        connectAndLogIn(5, G("会员"), G("密码"));
        service().request(5, std::string(protocol::request::kLogout));
        storage.alerts = {alertRecord("10", "0"), alertRecord("11", "1"), alertRecord("12", "2")};
        storage.notices = {{"20", "2024-03-05 09:00:00", G("标题"), "3", "<b>x</b>", "2", "1"},
                           {"21", "2024-03-05 09:00:00", "t", "1", "b", "0", ""}};
        output.sent.clear();
    }

    // The connections of each send the event caused, with its text.
    std::vector<RecordingOutput::Sent> after(OperatorEvent event) {
        output.sent.clear();
        service().operatorEvent(event);
        // Sends of the same text (to one group, then another) count as one.
        std::vector<RecordingOutput::Sent> merged;
        for (const RecordingOutput::Sent& s : output.sent) {
            if (!merged.empty() && merged.back().text == s.text) {
                merged.back().to.insert(merged.back().to.end(), s.to.begin(), s.to.end());
            } else {
                merged.push_back(s);
            }
        }
        for (RecordingOutput::Sent& s : merged) {
            std::sort(s.to.begin(), s.to.end());
        }
        return merged;
    }
};

TEST_F(ServiceFanOutTest, EachEventReachesItsAudience) {
    using Kind = OperatorEvent::Kind;
    using Ids = std::vector<ConnectionId>;
    struct Case {
        const char* name;
        OperatorEvent event;
        Ids to;
        ServerCode code;
    };
    const std::vector<Case> cases = {
        {"alert for free members",
         {1, Kind::AlertPublished, {"10"}, ""},
         {1, 3},
         ServerCode::AlertAdded},
        {"alert for paying members",
         {2, Kind::AlertPublished, {"11"}, ""},
         {2},
         ServerCode::AlertAdded},
        {"changed alert", {3, Kind::AlertUpdated, {"11"}, ""}, {2}, ServerCode::AlertChanged},
        {"removed alerts",
         {4, Kind::AlertsRemoved, {"10", "11"}, ""},
         {1, 2, 3},
         ServerCode::AlertsRemoved},
        {"new notice",
         {5, Kind::NoticePublished, {"20"}, ""},
         {1, 2, 3, 4, 5},
         ServerCode::NoticeAdded},
        {"changed notice",
         {6, Kind::NoticeUpdated, {"21"}, ""},
         {1, 2, 3, 4, 5},
         ServerCode::NoticeChanged},
        {"removed notices",
         {7, Kind::NoticesRemoved, {"20", "21"}, "2"},
         {1, 2, 3, 4, 5},
         ServerCode::NoticesRemoved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto sent = after(c.event);
        ASSERT_EQ(sent.size(), 1u);  // one text for all its connections
        EXPECT_EQ(sent[0].to, c.to);
        EXPECT_EQ(protocol::serverCodeOf(sent[0].text), c.code);
    }
}

TEST_F(ServiceFanOutTest, MessagesCarryTheStoredRecords) {
    using Kind = OperatorEvent::Kind;
    const auto alert = after({1, Kind::AlertPublished, {"11"}, ""});
    ASSERT_EQ(alert.size(), 1u);
    const auto parsedAlert = protocol::parseServerMessage(alert[0].text);
    ASSERT_TRUE(std::holds_alternative<protocol::AlertRecord>(parsedAlert.body));
    EXPECT_EQ(std::get<protocol::AlertRecord>(parsedAlert.body), storage.alerts[1]);

    const auto notice = after({2, Kind::NoticePublished, {"20"}, ""});
    ASSERT_EQ(notice.size(), 1u);
    const auto parsedNotice = protocol::parseServerMessage(notice[0].text);
    ASSERT_TRUE(std::holds_alternative<protocol::NoticeRecord>(parsedNotice.body));
    EXPECT_EQ(std::get<protocol::NoticeRecord>(parsedNotice.body), storage.notices[0]);

    // An empty popup flag would end the message in an empty piece.
    const auto noPopup = after({3, Kind::NoticeUpdated, {"21"}, ""});
    ASSERT_EQ(noPopup.size(), 1u);
    EXPECT_EQ(noPopup[0].text, "#am21|2024-03-05 09:00:00|t|1|b|0|0");

    const auto removed = after({4, Kind::AlertsRemoved, {"10", "11"}, ""});
    EXPECT_EQ(removed[0].text, "#ak10|11");
    const auto removedNotices = after({5, Kind::NoticesRemoved, {"20"}, "2"});
    EXPECT_EQ(removedNotices[0].text, "#an20|2");
}

TEST_F(ServiceFanOutTest, EventsWithNobodyToTellSendNothing) {
    using Kind = OperatorEvent::Kind;
    const std::vector<OperatorEvent> events = {
        {1, Kind::AlertPublished, {"99"}, ""},  // removed again before it was seen
        {2, Kind::AlertPublished, {"12"}, ""},  // an audience no member has
        {3, Kind::NoticeUpdated, {"99"}, ""},  {4, Kind::AlertsRemoved, {}, ""},
        {5, Kind::NoticesRemoved, {}, "1"},    {6, Kind::Kick, {"nobody"}, ""},
        {7, Kind::Kick, {G("会员")}, ""},  // logged out already
    };
    for (const OperatorEvent& event : events) {
        EXPECT_TRUE(after(event).empty()) << event.sequence;
    }
}

TEST_F(ServiceFanOutTest, KickTellsTheMemberAndLogsItOut) {
    const auto sent = after({1, OperatorEvent::Kind::Kick, {"paid"}, ""});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, std::vector<ConnectionId>{2});
    EXPECT_EQ(sent[0].text, "#ah");
    EXPECT_EQ(service().memberCount(), 2u);
    EXPECT_EQ(service().connectionCount(), 5u);
    EXPECT_TRUE(after({2, OperatorEvent::Kind::AlertPublished, {"11"}, ""}).empty());
    EXPECT_EQ(answer(2, protocol::request::alertList(1)), "#59|");
}

// Logins are recorded in the order they were made (the fake numbers them
// 1 "free", 2 "paid", 3 "lapsed", 4 "会员"); a login recorded after a
// member's own, on whatever server, ends its session here.
TEST_F(ServiceFanOutTest, ALaterLoginElsewhereEndsTheSessionHere) {
    using Kind = OperatorEvent::Kind;
    struct Case {
        OperatorEvent event;
        std::vector<ConnectionId> ended;
    };
    const std::vector<Case> cases = {
        {{2, Kind::LoggedIn, {"paid"}, ""}, {}},    // this server's own login
        {{2, Kind::LoggedIn, {"lapsed"}, ""}, {}},  // older than the session here
        {{9, Kind::LoggedIn, {"nobody"}, ""}, {}},
        {{9, Kind::LoggedIn, {G("会员")}, ""}, {}},  // logged out already
        {{5, Kind::LoggedIn, {"free"}, ""}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event.subjects[0]);
        const auto sent = after(c.event);
        std::vector<ConnectionId> ended;
        for (const RecordingOutput::Sent& s : sent) {
            EXPECT_EQ(s.text, "#ag");
            ended.insert(ended.end(), s.to.begin(), s.to.end());
        }
        EXPECT_EQ(ended, c.ended);
    }
    EXPECT_EQ(service().memberCount(), 2u);
    EXPECT_EQ(answer(1, protocol::request::alertList(0)), "#59|");
}

TEST_F(ServiceFanOutTest, DisconnectedConnectionsAreLeftOut) {
    service().disconnected(2);
    service().disconnected(4);
    service().disconnected(99);  // never known
    EXPECT_EQ(service().connectionCount(), 3u);
    EXPECT_EQ(service().memberCount(), 2u);
    const auto notice = after({1, OperatorEvent::Kind::NoticePublished, {"20"}, ""});
    ASSERT_EQ(notice.size(), 1u);
    EXPECT_EQ(notice[0].to, (std::vector<ConnectionId>{1, 3, 5}));
    EXPECT_TRUE(after({2, OperatorEvent::Kind::AlertPublished, {"11"}, ""}).empty());
}

}  // namespace
}  // namespace lanzhou::server
