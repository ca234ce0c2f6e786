#include "client/core/server_line.h"

#include <gtest/gtest.h>

#include <string>

#include "client/core/stored_text_cipher.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

TEST(ServerLine, BuiltInConstantsDecodeToTheConfiguredLines) {
    // The constants are enciphered by the compiler; they must agree with the
    // cipher at run time byte for byte.
    EXPECT_EQ(telecomHostConstant(), encodeStored(LANZHOU_TELECOM_HOST));
    EXPECT_EQ(netcomHostConstant(), encodeStored(LANZHOU_NETCOM_HOST));
    EXPECT_EQ(portConstant(), encodeStored(LANZHOU_PORT));
    EXPECT_EQ(telecomTlsConstant(), encodeStored(LANZHOU_TELECOM_TLS_TEXT));
    EXPECT_EQ(netcomTlsConstant(), encodeStored(LANZHOU_NETCOM_TLS_TEXT));
    EXPECT_EQ(decodeStored(telecomHostConstant()), LANZHOU_TELECOM_HOST);
    EXPECT_EQ(decodeStored(netcomHostConstant()), LANZHOU_NETCOM_HOST);
}

TEST(ServerLine, TheProgramHoldsTheHostsOnlyInTheirStoredForm) {
    const auto program = platform::readFile(
        (platform::executableDirectory() / LANZHOU_CLI_RELATIVE_PATH).lexically_normal(),
        std::size_t{1} << 30);
    ASSERT_TRUE(program.has_value());
    for (const std::string host : {LANZHOU_TELECOM_HOST, LANZHOU_NETCOM_HOST}) {
        EXPECT_EQ(program->find(host), std::string::npos) << host;
        EXPECT_NE(program->find(encodeStored(host)), std::string::npos) << host;
    }
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
        EXPECT_EQ(line.tls,
                  std::string(c.index == LineChoice::Netcom ? LANZHOU_NETCOM_TLS_TEXT
                                                            : LANZHOU_TELECOM_TLS_TEXT) == "1")
            << c.xl;
    }
}

}  // namespace
}  // namespace lanzhou::core
