#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::protocol {

// The server's reading of a client request (the inverse of the request::
// builders in message_catalogue.h).
enum class RequestCode {
    Unknown,
    KeepAlive,         // "1"
    Version,           // "#54"
    SessionConfig,     // "#55"
    Bulletin,          // "#56"
    ServerTime,        // "#TM"
    Channels,          // "#57"
    WebPages,          // "#58"
    Login,             // "#a3|account|password"
    Register,          // "#a1|account|password|qq|phone|adapter|flag"
    Recharge,          // "#a2|account|password|card"
    ChangePassword,    // "#a4|account|newPassword|qq|phone"
    RetrievePassword,  // "#a5|account|qq|phone"
    AlertList,         // "#59" + user type
    Logout,            // "#az"
};

struct ClientRequest {
    RequestCode code = RequestCode::Unknown;
    // The fields of a piped request, split GBK-aware at "|". `wellFormed` is
    // false when their count is not the one the request needs; the fields
    // are kept as split.
    std::vector<std::string> fields;
    bool wellFormed = true;
    std::int32_t userType = 0;  // "#59"
};

ClientRequest parseRequest(std::string_view text);

}  // namespace lanzhou::protocol
