#include <gtest/gtest.h>

#include "platform/system_authorities.h"

namespace lanzhou::platform {
namespace {

// Where the system keeps its own store of authorities (Windows), each of
// them comes back whole: a DER SEQUENCE whose length covers the bytes given.
TEST(SystemAuthorities, EachIsAWholeDerCertificate) {
    for (const std::string& der : systemAuthorityCertificates()) {
        ASSERT_GE(der.size(), 4u);
        const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
        EXPECT_EQ(bytes[0], 0x30);  // SEQUENCE
        ASSERT_EQ(bytes[1], 0x82);  // two length bytes follow: every real certificate
        const std::size_t length = (std::size_t{bytes[2]} << 8) | bytes[3];
        EXPECT_EQ(length + 4, der.size());
    }
}

}  // namespace
}  // namespace lanzhou::platform
