#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tests/support/gbk_literal.h"

namespace lanzhou::protocol {
namespace {

using test::G;

std::string joinedPieces(const std::vector<std::string>& pieces) {
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        text += (i > 0 ? "|" : "") + pieces[i];
    }
    return text;
}

// "p1|p2|...|pN": numbered pieces, so a field read from the wrong place shows.
std::string numberedPieces(int count) {
    std::vector<std::string> pieces;
    for (int i = 1; i <= count; ++i) {
        pieces.push_back("p" + std::to_string(i));
    }
    return joinedPieces(pieces);
}

TEST(MessageCatalogue, BuildsRequests) {
    struct Case {
        std::string built;
        std::string expected;
    };
    const Case cases[] = {
        {request::login("demo", "pw"), "#a3|demo|pw"},
        {request::login(G("会员01"), ""), G("#a3|会员01|")},
        {request::registration("acc", "pw", "123", "555", "00-1A-2B-3C-4D-5E", true),
         "#a1|acc|pw|123|555|00-1A-2B-3C-4D-5E|1"},
        {request::registration("acc", "pw", "123", "555", "", false), "#a1|acc|pw|123|555||0"},
        {request::recharge("acc", "pw", "CARD9"), "#a2|acc|pw|CARD9"},
        {request::changePassword("acc", "new", "123", "555"), "#a4|acc|new|123|555"},
        {request::retrievePassword("acc", "123", "555"), "#a5|acc|123|555"},
        {request::alertList(0), "#590"},
        {request::alertList(1), "#591"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.built, c.expected);
    }
}

TEST(MessageCatalogue, MatchesCodesByTheirFirstThreeBytes) {
    const std::vector<std::pair<std::string, ServerCode>> codes = {
        {"#54", ServerCode::Version},
        {"#55", ServerCode::SessionConfig},
        {"#56", ServerCode::Bulletin},
        {"#TM", ServerCode::ServerTime},
        {"#57", ServerCode::Channels},
        {"#58", ServerCode::WebPages},
        {"#59", ServerCode::AlertList},
        {"#a0", ServerCode::LoginRefused},
        {"#a1", ServerCode::RegisterDuplicateMachine},
        {"#a2", ServerCode::RegisterAccountExists},
        {"#a3", ServerCode::RegisterFailed},
        {"#a4", ServerCode::RegisterSucceeded},
        {"#a5", ServerCode::RechargeBadAccount},
        {"#a6", ServerCode::RechargeBadPassword},
        {"#a7", ServerCode::RechargeBadCard},
        {"#a8", ServerCode::RechargeCardExpired},
        {"#a9", ServerCode::RechargeFailed},
        {"#aa", ServerCode::RechargeSucceeded},
        {"#ab", ServerCode::UserDataWrong},
        {"#ac", ServerCode::PasswordChangeFailed},
        {"#ad", ServerCode::LoginAccepted},
        {"#ae", ServerCode::PasswordChanged},
        {"#af", ServerCode::PasswordRetrieved},
        {"#ag", ServerCode::LoggedInElsewhere},
        {"#ah", ServerCode::KickedByAdministrator},
        {"#ai", ServerCode::AlertAdded},
        {"#aj", ServerCode::AlertChanged},
        {"#ak", ServerCode::AlertsRemoved},
        {"#al", ServerCode::NoticeAdded},
        {"#am", ServerCode::NoticeChanged},
        {"#an", ServerCode::NoticesRemoved},
    };
    for (const auto& [text, code] : codes) {
        EXPECT_EQ(serverCodeOf(text), code) << text;
        EXPECT_EQ(serverCodeOf(text + "|anything"), code) << text;
        EXPECT_EQ(codeText(code), text);
        EXPECT_EQ(answer::bare(code), text);
    }
    for (const char* unknown : {"", "#5", "#az", "#60", "#AI", "#ao", "1", "x#54", " #54"}) {
        EXPECT_EQ(serverCodeOf(unknown), ServerCode::Unknown) << unknown;
    }
    EXPECT_EQ(codeText(ServerCode::Unknown), "");
}

// Every builder of server messages, read back by the parser.
TEST(MessageCatalogue, AnswersRoundTripThroughTheParser) {
    SessionConfig config;
    config.productTitle = G("澜舟智投");
    config.unused2to7 = {"a", "b", "", "d", "e", "f"};
    config.labelColour = 0x00FF8000;
    config.titleColour = 255;
    config.timeColour = -1;
    config.starColour = 3;
    config.bodyColour = 4;
    config.ruleColour = 5;
    config.fontSize = "12px";
    config.indent = 4;
    config.unused16 = 16;
    config.registrationClosed = true;
    config.machineBinding = true;
    config.loginBulletinHidden = true;
    config.unused23 = true;
    config.popupCloseTicks = 30;
    config.heartbeatSeconds = 20;
    config.supportQq = "10001";
    config.supportShopChat = "";
    config.unused28 = "0";

    ChannelTable channels;
    WebPageTable pages;
    for (std::size_t k = 0; k < 6; ++k) {
        channels[k] = {G("频道") + std::to_string(k), k % 2 == 0, k == 3};
        pages[k] = {G("页") + std::to_string(k), "http://example.test/" + std::to_string(k), k == 1,
                    k >= 4};
    }
    const AlertRecord alert{"17",      "2013-11-24 09:05:03",
                            "600000",  G("浦发银行"),
                            G("买入"), "9.5",
                            "10.2",    G("备注") + "\x81|",
                            "1",       "1"};
    const NoticeRecord notice{"5", "2013-11-24 09:05:03", G("标题"), "3", "<b>body</b>", "2", "0"};
    const std::vector<AlertRecord> list = {
        {"1", "2013-11-23 10:00:00", "000001", "A", "op", "1", "2", "r1", "", ""},
        {"2", "2013-11-24 10:00:00", "000002", "B", "op", "3", "4", "r2", "", ""},
    };

    struct Case {
        std::string text;
        ServerCode code;
        decltype(ServerMessage::body) body;
    };
    const std::vector<Case> cases = {
        {answer::version({27, "http://x.test/u.zip"}), ServerCode::Version,
         VersionInfo{27, "http://x.test/u.zip"}},
        {answer::sessionConfig(config), ServerCode::SessionConfig, config},
        {answer::bulletin("<p>hi</p>"), ServerCode::Bulletin, std::string("<p>hi</p>")},
        {answer::serverTime({2013, 11, 24, 9, 5, 3}), ServerCode::ServerTime,
         DateTime{2013, 11, 24, 9, 5, 3}},
        {answer::channels(channels), ServerCode::Channels, channels},
        {answer::webPages(pages), ServerCode::WebPages, pages},
        {answer::loginAccepted({"2014-01-01 00:00:00", 1, "0"}), ServerCode::LoginAccepted,
         LoginAccepted{"2014-01-01 00:00:00", 1, "0"}},
        {answer::retrievedPassword("s3cret|x"), ServerCode::PasswordRetrieved,
         std::string("s3cret|x")},
        {answer::alert(ServerCode::AlertAdded, alert), ServerCode::AlertAdded, alert},
        {answer::alert(ServerCode::AlertChanged, alert), ServerCode::AlertChanged, alert},
        {answer::alertsRemoved({"1", "2", "3"}), ServerCode::AlertsRemoved,
         std::vector<std::string>{"1", "2", "3"}},
        {answer::notice(ServerCode::NoticeAdded, notice), ServerCode::NoticeAdded, notice},
        {answer::notice(ServerCode::NoticeChanged, notice), ServerCode::NoticeChanged, notice},
        {answer::noticesRemoved({{"8", "9"}, "4"}), ServerCode::NoticesRemoved,
         RemovedNotices{{"8", "9"}, "4"}},
        {answer::noticesRemoved({{}, "0"}), ServerCode::NoticesRemoved, RemovedNotices{{}, "0"}},
        {answer::alertList(list), ServerCode::AlertList, list},
        {answer::alertList({}), ServerCode::AlertList, std::vector<AlertRecord>{}},
        {answer::bare(ServerCode::LoginRefused), ServerCode::LoginRefused, std::monostate{}},
        {answer::bare(ServerCode::KickedByAdministrator), ServerCode::KickedByAdministrator,
         std::monostate{}},
    };
    for (const Case& c : cases) {
        const ServerMessage parsed = parseServerMessage(c.text);
        EXPECT_EQ(parsed.code, c.code) << c.text;
        EXPECT_TRUE(parsed.body == c.body) << c.text;
    }
    EXPECT_EQ(answer::serverTime({2013, 11, 24, 9, 5, 3}), "#TM2013-11-24 09:05:03");
    EXPECT_EQ(answer::alertsRemoved({"1", "2"}), "#ak1|2");
    EXPECT_EQ(answer::noticesRemoved({{"8"}, "4"}), "#an8|4");
}

TEST(MessageCatalogue, SessionConfigFieldsComeFromTheirPieces) {
    const std::string text =
        G("#55|标题|p2|p3|p4|p5|p6|p7|8|9|10|11|12abc|-13|14px|15|16|1|0|1|01|1|1| "
          "1|24|25|qq|shop|p28");
    const ServerMessage parsed = parseServerMessage(text);
    const auto* config = std::get_if<SessionConfig>(&parsed.body);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->productTitle, G("标题"));
    EXPECT_EQ(config->unused2to7, (std::array<std::string, 6>{"p2", "p3", "p4", "p5", "p6", "p7"}));
    EXPECT_EQ(config->labelColour, 8);
    EXPECT_EQ(config->titleColour, 9);
    EXPECT_EQ(config->timeColour, 10);
    EXPECT_EQ(config->starColour, 11);
    EXPECT_EQ(config->bodyColour, 12);
    EXPECT_EQ(config->ruleColour, -13);
    EXPECT_EQ(config->fontSize, "14px");
    EXPECT_EQ(config->indent, 15);
    EXPECT_EQ(config->unused16, 16);
    EXPECT_TRUE(config->registrationClosed);
    EXPECT_FALSE(config->registrationFlag);
    EXPECT_TRUE(config->machineBinding);
    EXPECT_FALSE(config->refuseUnpaid);  // "01" is not "1"
    EXPECT_TRUE(config->loginBulletinHidden);
    EXPECT_TRUE(config->unused22);
    EXPECT_FALSE(config->unused23);  // " 1" is not "1"
    EXPECT_EQ(config->popupCloseTicks, 24);
    EXPECT_EQ(config->heartbeatSeconds, 25);
    EXPECT_EQ(config->supportQq, "qq");
    EXPECT_EQ(config->supportShopChat, "shop");
    EXPECT_EQ(config->unused28, "p28");
}

TEST(MessageCatalogue, TablesAndRecordsComeFromTheirPieces) {
    const auto channels = std::get<ChannelTable>(
        parseServerMessage("#57|c0|1|0|c1|0|1|c2|x|1|c3|1|1|c4|0|0|c5|1|x").body);
    EXPECT_EQ(channels[0], (ChannelConfig{"c0", true, false}));
    EXPECT_EQ(channels[1], (ChannelConfig{"c1", false, true}));
    EXPECT_EQ(channels[2], (ChannelConfig{"c2", false, true}));
    EXPECT_EQ(channels[5], (ChannelConfig{"c5", true, false}));

    const auto pages = std::get<WebPageTable>(
        parseServerMessage("#58|n0|a0|1|0|n1|a1|0|1|n2|a2|0|0|n3|a3|0|0|n4|a4|0|0|n5|a5|1|1").body);
    EXPECT_EQ(pages[0], (WebPageConfig{"n0", "a0", true, false}));
    EXPECT_EQ(pages[1], (WebPageConfig{"n1", "a1", false, true}));
    EXPECT_EQ(pages[5], (WebPageConfig{"n5", "a5", true, true}));

    const auto alert = std::get<AlertRecord>(parseServerMessage("#ai" + numberedPieces(10)).body);
    EXPECT_EQ(alert, (AlertRecord{"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"}));

    const auto notice = std::get<NoticeRecord>(parseServerMessage("#al" + numberedPieces(9)).body);
    EXPECT_EQ(notice, (NoticeRecord{"p1", "p2", "p3", "p4", "p5", "p6", "p7"}));

    const auto version = std::get<VersionInfo>(parseServerMessage("#54|27abc|arg").body);
    EXPECT_EQ(version, (VersionInfo{27, "arg"}));
    const auto login = std::get<LoginAccepted>(parseServerMessage("#ad|2014-01-01|x|0").body);
    EXPECT_EQ(login, (LoginAccepted{"2014-01-01", 0, "0"}));
}

TEST(MessageCatalogue, PieceCountRules) {
    struct Case {
        const char* name;
        std::string text;
        bool hasBody;
    };
    const std::vector<Case> cases = {
        {"#54 one piece", "#54|27", false},
        {"#54 three pieces", "#54|27|a|b", false},
        {"#55 exact", "#55|" + numberedPieces(28), true},
        {"#55 27 pieces (empty last field)", "#55|" + numberedPieces(27) + "|", false},
        {"#55 29 pieces", "#55|" + numberedPieces(29), false},
        {"#55 bare", "#55", false},
        {"#56 one piece", "#56|html", false},
        {"#56 two pieces", "#56|html|x", true},
        {"#56 empty bulletin kept", "#56||x", true},
        {"#57 17", "#57|" + numberedPieces(17), false},
        {"#57 19", "#57|" + numberedPieces(19), false},
        {"#58 23", "#58|" + numberedPieces(23), false},
        {"#58 25", "#58|" + numberedPieces(25), false},
        {"#ad 2", "#ad|a|b", false},
        {"#ad 4", "#ad|a|b|c|d", false},
        {"#ai 9", "#ai" + numberedPieces(9), false},
        {"#ai 11", "#ai" + numberedPieces(11), false},
        {"#aj 10", "#aj" + numberedPieces(10), true},
        {"#aj 10 with a trail-byte pipe", "#aj" + numberedPieces(9) + "|x\x81|", true},
        {"#al 6", "#al" + numberedPieces(6), false},
        {"#am 7", "#am" + numberedPieces(7), true},
        {"#an nothing", "#an", false},
        {"#an channel only", "#an3", true},
        {"#ak nothing", "#ak", true},
        {"#a0 with trailing text", "#a0whatever", false},
        {"unknown", "#zz|1|2", false},
    };
    for (const Case& c : cases) {
        const ServerMessage parsed = parseServerMessage(c.text);
        EXPECT_EQ(!std::holds_alternative<std::monostate>(parsed.body), c.hasBody) << c.name;
        // The receive path's view of an alert reads the same fields.
        const std::optional<AlertFields> fields = alertFieldsOf(c.text);
        const auto* record = std::get_if<AlertRecord>(&parsed.body);
        ASSERT_EQ(fields.has_value(), record != nullptr) << c.name;
        if (record != nullptr) {
            EXPECT_EQ(*fields, fieldsOf(*record)) << c.name;
        }
    }
    const auto removed = std::get<RemovedNotices>(parseServerMessage("#an3").body);
    EXPECT_TRUE(removed.ids.empty());
    EXPECT_EQ(removed.channel, "3");
    EXPECT_TRUE(std::get<std::vector<std::string>>(parseServerMessage("#ak").body).empty());
    EXPECT_EQ(std::get<AlertRecord>(parseServerMessage("#ai123|" + numberedPieces(9)).body).id,
              "123");
}

TEST(MessageCatalogue, ServerTimeAndPasswordAreGlued) {
    EXPECT_EQ(std::get<DateTime>(parseServerMessage("#TM").body), DateTime::null());
    EXPECT_EQ(std::get<DateTime>(parseServerMessage("#TMjunk").body), DateTime::null());
    EXPECT_EQ(std::get<DateTime>(parseServerMessage("#TM|2013-11-24 09:05:03").body),
              DateTime::null());
    EXPECT_EQ(std::get<std::string>(parseServerMessage("#af").body), "");
}

TEST(MessageCatalogue, AlertListSkipsShortRecords) {
    const std::string star = G("☆");
    const std::string mark = G("々");
    auto record = [&](int fields, const std::string& id) {
        std::string text = id;
        for (int i = 2; i <= fields; ++i) {
            text += mark + "f" + std::to_string(i);
        }
        return text;
    };
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> ids;
    };
    const std::vector<Case> cases = {
        {"code alone", "#59", {}},
        {"nothing after the separator", "#59|", {}},
        {"one record", "#59|" + record(8, "a"), {"a"}},
        {"short record skipped", "#59|" + record(7, "a") + star + record(8, "b"), {"b"}},
        {"extra fields ignored", "#59|" + record(9, "a"), {"a"}},
        {"trailing separator", "#59|" + record(8, "a") + star + record(8, "b") + star, {"a", "b"}},
        {"empty record between",
         "#59|" + record(8, "a") + star + star + record(8, "b"),
         {"a", "b"}},
        {"pipes inside records are data", "#59|" + record(8, "a|b"), {"a|b"}},
    };
    for (const Case& c : cases) {
        const auto alerts = std::get<std::vector<AlertRecord>>(parseServerMessage(c.text).body);
        std::vector<std::string> ids;
        for (const AlertRecord& a : alerts) {
            ids.push_back(a.id);
            EXPECT_EQ(a.remark, "f8") << c.name;
            EXPECT_EQ(a.audience, "") << c.name;
            EXPECT_EQ(a.popup, "") << c.name;
        }
        EXPECT_EQ(ids, c.ids) << c.name;
    }
}

}  // namespace
}  // namespace lanzhou::protocol
