#include "protocol/request_parser.h"

#include <cstddef>

#include "protocol/gbk_text.h"
#include "protocol/lenient_int.h"

namespace lanzhou::protocol {

namespace {

constexpr std::size_t kCodeSize = 3;

struct BareEntry {
    std::string_view code;
    RequestCode request;
};

// Requests that are the code alone; anything after the code is ignored.
constexpr BareEntry kBare[] = {
    {"#54", RequestCode::Version},  {"#55", RequestCode::SessionConfig},
    {"#56", RequestCode::Bulletin}, {"#TM", RequestCode::ServerTime},
    {"#57", RequestCode::Channels}, {"#58", RequestCode::WebPages},
    {"#az", RequestCode::Logout},
};

struct PipedEntry {
    std::string_view code;
    RequestCode request;
    std::size_t fieldCount;
};

// Requests of the form code, "|", fields joined by "|".
constexpr PipedEntry kPiped[] = {
    {"#a3", RequestCode::Login, 2},
    {"#a1", RequestCode::Register, 6},
    {"#a2", RequestCode::Recharge, 3},
    {"#a4", RequestCode::ChangePassword, 4},
    {"#a5", RequestCode::RetrievePassword, 3},
};

ClientRequest piped(const PipedEntry& entry, std::string_view text) {
    ClientRequest request;
    request.code = entry.request;
    // The code must be followed by the field separator; without it there
    // are no fields at all.
    if (text.size() > kCodeSize &&
        text.substr(kCodeSize, kFieldSeparator.size()) == kFieldSeparator) {
        for (const std::string_view piece :
             splitPieces(text.substr(kCodeSize + kFieldSeparator.size()), kFieldSeparator)) {
            request.fields.emplace_back(piece);
        }
    }
    request.wellFormed = request.fields.size() == entry.fieldCount;
    return request;
}

}  // namespace

ClientRequest parseRequest(std::string_view raw) {
    // A message is read as text up to its first zero byte.
    const std::string_view text = untilZero(raw);
    ClientRequest request;
    if (text == "1") {
        request.code = RequestCode::KeepAlive;
        return request;
    }
    if (text.size() < kCodeSize) {
        return request;
    }
    const std::string_view code = text.substr(0, kCodeSize);
    for (const BareEntry& entry : kBare) {
        if (entry.code == code) {
            request.code = entry.request;
            return request;
        }
    }
    for (const PipedEntry& entry : kPiped) {
        if (entry.code == code) {
            return piped(entry, text);
        }
    }
    if (code == "#59") {
        request.code = RequestCode::AlertList;
        request.userType = lenientInt(text.substr(kCodeSize));
    }
    return request;
}

}  // namespace lanzhou::protocol
