#include "protocol/request_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/message_catalogue.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::protocol {
namespace {

using test::G;

struct Case {
    std::string text;
    RequestCode code;
    std::vector<std::string> fields;
    bool wellFormed;
    std::int32_t userType = 0;
};

void expectParsed(const Case& c) {
    SCOPED_TRACE(c.text);
    const ClientRequest request = parseRequest(c.text);
    EXPECT_EQ(request.code, c.code);
    EXPECT_EQ(request.fields, c.fields);
    EXPECT_EQ(request.wellFormed, c.wellFormed);
    EXPECT_EQ(request.userType, c.userType);
}

TEST(RequestParser, ReadsWhatTheClientBuilds) {
    const std::vector<Case> cases = {
        {std::string(request::kKeepAlive), RequestCode::KeepAlive, {}, true},
        {std::string(request::kVersion), RequestCode::Version, {}, true},
        {std::string(request::kSessionConfig), RequestCode::SessionConfig, {}, true},
        {std::string(request::kBulletin), RequestCode::Bulletin, {}, true},
        {std::string(request::kServerTime), RequestCode::ServerTime, {}, true},
        {std::string(request::kChannels), RequestCode::Channels, {}, true},
        {std::string(request::kWebPages), RequestCode::WebPages, {}, true},
        {std::string(request::kLogout), RequestCode::Logout, {}, true},
        {request::login(G("会员01"), "pw"), RequestCode::Login, {G("会员01"), "pw"}, true},
        {request::registration("acc", "pw", "123", "555", "00-1A-2B-3C-4D-5E", true),
         RequestCode::Register,
         {"acc", "pw", "123", "555", "00-1A-2B-3C-4D-5E", "1"},
         true},
        // No adapter: the empty address sits between two fields and is kept.
        {request::registration("acc", "pw", "123", "555", "", false),
         RequestCode::Register,
         {"acc", "pw", "123", "555", "", "0"},
         true},
        {request::recharge("acc", "pw", "CARD9"),
         RequestCode::Recharge,
         {"acc", "pw", "CARD9"},
         true},
        {request::changePassword("acc", "new", "123", "555"),
         RequestCode::ChangePassword,
         {"acc", "new", "123", "555"},
         true},
        {request::retrievePassword("acc", "123", "555"),
         RequestCode::RetrievePassword,
         {"acc", "123", "555"},
         true},
        {request::alertList(0), RequestCode::AlertList, {}, true, 0},
        {request::alertList(1), RequestCode::AlertList, {}, true, 1},
    };
    for (const Case& c : cases) {
        expectParsed(c);
    }
}

TEST(RequestParser, CountsFieldsByTheSplittingRule) {
    const std::vector<Case> cases = {
        // An empty last field is dropped by the splitting, so the request is
        // one field short.
        {"#a3|acc|", RequestCode::Login, {"acc"}, false},
        {"#a5|acc|123|", RequestCode::RetrievePassword, {"acc", "123"}, false},
        // Empty fields in the middle are kept and counted.
        {"#a3||pw", RequestCode::Login, {"", "pw"}, true},
        {"#a4|acc||123|555", RequestCode::ChangePassword, {"acc", "", "123", "555"}, true},
        // Too many fields.
        {"#a3|acc|pw|x", RequestCode::Login, {"acc", "pw", "x"}, false},
        {"#a2|a|b|c|d", RequestCode::Recharge, {"a", "b", "c", "d"}, false},
        // The code alone, or not followed by the separator: no fields.
        {"#a3", RequestCode::Login, {}, false},
        {"#a3acc|pw", RequestCode::Login, {}, false},
        {"#a1|", RequestCode::Register, {}, false},
        // A "|" byte that is the second byte of a double-byte character
        // does not split (GBK 0x817C).
        {"#a3|\x81|x|pw", RequestCode::Login, {"\x81|x", "pw"}, true},
        // The text ends at its first zero byte.
        {std::string("#a3|acc|pw\0|x", 13), RequestCode::Login, {"acc", "pw"}, true},
    };
    for (const Case& c : cases) {
        expectParsed(c);
    }
}

TEST(RequestParser, IgnoresWhatFollowsABareCodeAndReadsTheAlertListTypeLeniently) {
    const std::vector<Case> cases = {
        {"#54|extra", RequestCode::Version, {}, true},
        {"#TMnow", RequestCode::ServerTime, {}, true},
        {"#az|acc", RequestCode::Logout, {}, true},
        {"#59", RequestCode::AlertList, {}, true, 0},
        {"#591abc", RequestCode::AlertList, {}, true, 1},
        {"#59x", RequestCode::AlertList, {}, true, 0},
        {"#59-1", RequestCode::AlertList, {}, true, -1},
        {"#5999999999999", RequestCode::AlertList, {}, true, 2147483647},
    };
    for (const Case& c : cases) {
        expectParsed(c);
    }
}

TEST(RequestParser, AnythingElseIsUnknown) {
    const std::vector<std::string> texts = {"",       "0",    "11",        "1 ",
                                            "#5",     "#60",  "#ad|x|1|0", "#a6|a|b",
                                            "#ai1|2", "EMSG", "#A3|a|b",   std::string("\0#54", 4)};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const ClientRequest request = parseRequest(text);
        EXPECT_EQ(request.code, RequestCode::Unknown);
        EXPECT_TRUE(request.fields.empty());
    }
}

}  // namespace
}  // namespace lanzhou::protocol
