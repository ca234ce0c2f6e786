// The update source's checksum fragment and the whole numbers of the size
// and speed columns.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "updater/core/update_source.h"

namespace lanzhou::updater {
namespace {

const std::string kDigestHex =
    "00112233445566778899aabbccddeeff"
    "00112233445566778899AABBCCDDEEFF";

Sha256Digest expectedDigest() {
    Sha256Digest digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        digest[i] = static_cast<std::uint8_t>((i % 16) * 0x11);
    }
    return digest;
}

TEST(ParseUpdateSource, TakesADigestFragmentAtTheEnd) {
    const UpdateSource source = parseUpdateSource("http://h/u.zip#sha256=" + kDigestHex);
    EXPECT_EQ(source.address, "http://h/u.zip");
    ASSERT_TRUE(source.sha256.has_value());
    EXPECT_EQ(*source.sha256, expectedDigest());

    EXPECT_EQ(parseUpdateSource("ftp://h/a#b.zip#sha256=" + kDigestHex).address, "ftp://h/a#b.zip");
}

TEST(ParseUpdateSource, LeavesAnythingElseWhole) {
    const std::string digits63 = kDigestHex.substr(1);
    const std::string cases[] = {
        "http://h/u.zip",
        "http://h/u.zip#sha256=" + digits63,
        "http://h/u.zip#sha256=" + kDigestHex + "0",
        "http://h/u.zip#sha256=" + kDigestHex.substr(0, 63) + "g",
        "http://h/u.zip#sha256=" + kDigestHex + "#",
        "http://h/u.zip#SHA256=" + kDigestHex,
        "http://h/u.zip#sha256=" + kDigestHex + "&x",
        "#sha256=",
        "",
    };
    for (const std::string& text : cases) {
        const UpdateSource source = parseUpdateSource(text);
        EXPECT_EQ(source.address, text);
        EXPECT_FALSE(source.sha256.has_value()) << text;
    }
    // Only the fragment itself: an empty address with a digest.
    EXPECT_EQ(parseUpdateSource("#sha256=" + kDigestHex).address, "");
}

TEST(WholePart, TruncatesExceptJustBelowAWholeNumber) {
    const std::pair<double, long long> cases[] = {
        {1'048'576.0 / 1024, 1024},
        {1023.9999999999999, 1024},
        {2.9999999999999996, 3},
        {1023.999, 1023},
        {1023.5, 1023},
        {0.0, 0},
        {0.9999, 0},
        {1e-13, 0},
        {5'000'000'000.7, 5'000'000'000},
        {-1.5, -1},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& [value, whole] : cases) {
        EXPECT_EQ(wholePart(value), whole) << value;
    }
    EXPECT_GT(wholePart(std::numeric_limits<double>::infinity()), 0);
}

}  // namespace
}  // namespace lanzhou::updater
