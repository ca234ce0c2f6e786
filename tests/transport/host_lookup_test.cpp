#include "client/transport/host_lookup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lanzhou::transport {
namespace {

TEST(HostLookup, DottedIpv4IsReadAsFourDecimalNumbers) {
    struct Case {
        std::string text;
        std::optional<std::string> address;
    };
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"0.0.0.0", "0.0.0.0"},
        {"255.255.255.255", "255.255.255.255"},
        {"010.001.000.009", "10.1.0.9"},  // decimal, not octal
        {"256.0.0.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..3.4", std::nullopt},
        {".1.2.3", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"1.2.3.0004", std::nullopt},
        {"1.2.3.-4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"0x7f.0.0.1", std::nullopt},
        {"localhost", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto parsed = parseDottedIpv4(c.text);
        ASSERT_EQ(parsed.has_value(), c.address.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(parsed->to_string(), *c.address) << c.text;
        }
    }
}

TEST(HostLookup, NamesResolveToAnIpv4AddressWhenThereIsOne) {
    const auto endpoint = lookUpEndpoint("localhost", 8866);
    ASSERT_TRUE(endpoint);
    EXPECT_TRUE(endpoint->address().is_v4());
    EXPECT_EQ(endpoint->port(), 8866);
    EXPECT_FALSE(lookUpEndpoint("no-such-host.invalid", 8866));
    EXPECT_FALSE(lookUpEndpoint("", 8866));
}

}  // namespace
}  // namespace lanzhou::transport
