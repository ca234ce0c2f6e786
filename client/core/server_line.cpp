#include "client/core/server_line.h"

#include "client/core/built_in_lines.h"
#include "client/core/stored_text_cipher.h"
#include "client/core/texts.h"

namespace lanzhou::core {
namespace {

// The leading decimal digits of the text; no digits give 0. The port text is
// at most a few digits, so the value is capped rather than allowed to wrap.
int leadingNumber(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > 99999999) {
            break;
        }
    }
    return value;
}

}  // namespace

std::string_view telecomHostConstant() {
    return built_in::kTelecomHost.view();
}
std::string_view netcomHostConstant() {
    return built_in::kNetcomHost.view();
}
std::string_view portConstant() {
    return built_in::kPort.view();
}
std::string_view telecomTlsConstant() {
    return built_in::kTelecomTls.view();
}
std::string_view netcomTlsConstant() {
    return built_in::kNetcomTls.view();
}

ServerLine chooseServerLine(std::string_view xl) {
    ServerLine line;
    if (xl == "1") {
        line.index = LineChoice::Netcom;
        line.name = gbk(text::kNetcomLine);
        line.host = decodeStored(netcomHostConstant());
        line.tls = decodeStored(netcomTlsConstant()) == "1";
    } else {
        line.index = LineChoice::Telecom;
        line.name = gbk(text::kTelecomLine);
        line.host = decodeStored(telecomHostConstant());
        line.tls = decodeStored(telecomTlsConstant()) == "1";
    }
    line.port = leadingNumber(decodeStored(portConstant()));
    return line;
}

}  // namespace lanzhou::core
