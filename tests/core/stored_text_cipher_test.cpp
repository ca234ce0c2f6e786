#include "client/core/stored_text_cipher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

struct Vector {
    std::string plain;
    std::string hex;
};

TEST(StoredTextCipher, EncodesTheReferenceVectors) {
    const Vector vectors[] = {
        {"demo", "22ADA2FC"}, {G("会员01"), "FD291B22CE5F"},
        {"p w", "36E8B8"},    {"127.0.0.1", "77FAF8BDCE4000A6C5"},
        {"8866", "7EF0F9A5"}, {"", ""},
    };
    for (const Vector& v : vectors) {
        EXPECT_EQ(encodeStored(v.plain), v.hex) << v.hex;
        EXPECT_EQ(decodeStored(v.hex), v.plain) << v.hex;
    }
}

// The built-in server lines are enciphered by the compiler: the vectors hold
// there too (checked while this test compiles).
static_assert(storedConstant("demo").view() == "22ADA2FC");
static_assert(storedConstant("p w").view() == "36E8B8");
static_assert(storedConstant("127.0.0.1").view() == "77FAF8BDCE4000A6C5");
static_assert(storedConstant("8866").view() == "7EF0F9A5");
static_assert(storedConstant("").view().empty());
static_assert(storedConstant("\xBB\xE1\xD4\xB1\x30\x31").view() == "FD291B22CE5F");  // 会员01

TEST(StoredTextCipher, DecodesTheReferenceVectors) {
    EXPECT_EQ(decodeStored("22ADA2FC2BA58A4D"), G("demo账号"));
    EXPECT_EQ(decodeStored("22ad"), "de");  // lower-case digits
    EXPECT_EQ(decodeStored(""), "");
}

TEST(StoredTextCipher, RoundTripsEveryByteButZero) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, 300);  // past the 256-entry state
    for (int round = 0; round < 200; ++round) {
        std::string plain(static_cast<std::size_t>(length(random)), ' ');
        for (char& c : plain) {
            c = static_cast<char>(byte(random));
        }
        const std::string hex = encodeStored(plain);
        ASSERT_EQ(hex.size(), plain.size() * 2);
        ASSERT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        ASSERT_EQ(decodeStored(hex), plain);
    }
}

TEST(StoredTextCipher, OtherKeysRoundTripAndDiffer) {
    const std::string plain = G("账号 password");
    const std::string hex = encodeStored(plain, "another key");
    EXPECT_NE(hex, encodeStored(plain));
    EXPECT_EQ(decodeStored(hex, "another key"), plain);
    EXPECT_NE(decodeStored(hex), plain);
}

TEST(StoredTextCipher, DecodingStopsAtTheFirstZeroByte) {
    // Encoding a text with a zero byte inside gives the cipher text whose
    // keystream XOR yields that zero again.
    const std::string hex = encodeStored(std::string("ab\0cd", 5));
    EXPECT_EQ(decodeStored(hex), "ab");
    // A zero first byte gives nothing.
    EXPECT_EQ(decodeStored(encodeStored(std::string("\0xyz", 4))), "");
}

TEST(StoredTextCipher, ReadsLooseHexTheDocumentedWay) {
    // A last digit alone is one byte of that value.
    EXPECT_EQ(decodeStored("22ADA"), decodeStored("22AD0A"));
    // Characters that are not hex digits count as 0.
    EXPECT_EQ(decodeStored("2zADA2FC"), decodeStored("20ADA2FC"));
    EXPECT_EQ(decodeStored("22AD-2FC"), decodeStored("22AD02FC"));
    // Mixed case.
    EXPECT_EQ(decodeStored("22AdA2fC"), "demo");
}

}  // namespace
}  // namespace lanzhou::core
