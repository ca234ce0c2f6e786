#pragma once

#include <string>
#include <string_view>

#include "client/core/line_choice.h"

namespace lanzhou::core {

// One of the service's two network lines.
struct ServerLine {
    LineChoice index = LineChoice::Telecom;
    std::string name;  // GBK: "电信线路" or "网通线路"
    std::string host;
    int port = 0;
    bool tls = false;  // the line speaks TLS
};

// "1" picks the netcom line; "0" and anything else the telecom line. Host,
// port and TLS are decoded from the built-in enciphered constants.
ServerLine chooseServerLine(std::string_view xl);

// The built-in constants themselves (hex texts of the stored-text cipher).
std::string_view telecomHostConstant();
std::string_view netcomHostConstant();
std::string_view portConstant();
std::string_view telecomTlsConstant();
std::string_view netcomTlsConstant();

}  // namespace lanzhou::core
