#include "client/core/server_line.h"

#include <gtest/gtest.h>

#include <string>

#include "client/core/stored_text_cipher.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

TEST(ServerLine, BuiltInConstantsDecodeToTheConfiguredLines) {
    // The constants are enciphered by CMake at configure time; they must agree
    // with this cipher byte for byte.
    EXPECT_EQ(telecomHostConstant(), encodeStored(LANZHOU_TELECOM_HOST));
    EXPECT_EQ(netcomHostConstant(), encodeStored(LANZHOU_NETCOM_HOST));
    EXPECT_EQ(portConstant(), encodeStored(LANZHOU_PORT));
    EXPECT_EQ(decodeStored(telecomHostConstant()), LANZHOU_TELECOM_HOST);
    EXPECT_EQ(decodeStored(netcomHostConstant()), LANZHOU_NETCOM_HOST);
}

TEST(ServerLine, OnlyTheTextOnePicksTheNetcomLine) {
    const int port = std::stoi(LANZHOU_PORT);
    struct Case {
        std::string xl;
        LineChoice index;
    };
    constexpr LineChoice kT = LineChoice::Telecom;
    const Case cases[] = {{"1", LineChoice::Netcom},
                          {"0", kT},
                          {"", kT},
                          {"2", kT},
                          {" 1", kT},
                          {"1 ", kT},
                          {"01", kT}};
    for (const Case& c : cases) {
        const ServerLine line = chooseServerLine(c.xl);
        EXPECT_EQ(line.index, c.index) << '"' << c.xl << '"';
        EXPECT_EQ(line.name, c.index == LineChoice::Netcom ? G("网通线路") : G("电信线路")) << c.xl;
        EXPECT_EQ(line.host,
                  c.index == LineChoice::Netcom ? LANZHOU_NETCOM_HOST : LANZHOU_TELECOM_HOST)
            << c.xl;
        EXPECT_EQ(line.port, port) << c.xl;
    }
}

}  // namespace
}  // namespace lanzhou::core
