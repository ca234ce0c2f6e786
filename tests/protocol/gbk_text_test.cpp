#include "protocol/gbk_text.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "tests/support/gbk_literal.h"

namespace lanzhou::protocol {
namespace {

using namespace std::string_literals;
using test::G;
using Pieces = std::vector<std::string>;

Pieces split(std::string_view text, std::string_view separator) {
    const std::vector<std::string_view> views = splitPieces(text, separator);
    return Pieces(views.begin(), views.end());
}

// "亅" is GBK 81 7C: its trail byte is "|". "乗" is 81 5C.
const std::string kTrailPipe = "\x81\x7C";

TEST(GbkText, SplitsAtFieldSeparators) {
    struct Case {
        const char* name;
        std::string text;
        Pieces expected;
    };
    const std::vector<Case> cases = {
        {"empty text", "", {}},
        {"no separator", "abc", {"abc"}},
        {"two pieces", "a|b", {"a", "b"}},
        {"empty piece between", "a||b", {"a", "", "b"}},
        {"empty first piece", "|a", {"", "a"}},
        {"trailing separator adds no piece", "a|b|", {"a", "b"}},
        {"separator alone", "|", {""}},
        {"two separators", "||", {"", ""}},
        {"pipe as trail byte does not split",
         "a" + kTrailPipe + "b|c",
         {"a\x81\x7C"
          "b",
          "c"}},
        {"lead byte at the very end stands alone", "a|b\x81", {"a", "b\x81"}},
        {"lead byte before a final pipe takes it along", "a|\x81|", {"a", "\x81|"}},
        {"double-byte text", G("账号|密码"), {G("账号"), G("密码")}},
    };
    for (const Case& c : cases) {
        const Pieces got = split(c.text, kFieldSeparator);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(GbkText, SplitsAtDoubleByteSeparatorsOnlyAtCharacterBoundaries) {
    const std::string star(kRecordSeparator);
    const std::string mark(kRecordFieldSeparator);
    EXPECT_EQ(G("☆"), star);
    EXPECT_EQ(G("々"), mark);
    struct Case {
        const char* name;
        std::string text;
        std::string_view separator;
        Pieces expected;
    };
    const std::vector<Case> cases = {
        {"records", "r1" + star + "r2" + star, kRecordSeparator, {"r1", "r2"}},
        {"fields", "a" + mark + mark + "c", kRecordFieldSeparator, {"a", "", "c"}},
        // B0 A1 is one character; the A1 EE that follows it straddles a boundary.
        {"separator bytes across characters",
         "\xB0\xA1\xEE"
         "A",
         kRecordSeparator,
         {"\xB0\xA1\xEE"
          "A"}},
        {"first byte of separator alone at the end", "ab\xA1", kRecordSeparator, {"ab\xA1"}},
        {"a one-byte text never matches", "|", kRecordSeparator, {"|"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split(c.text, c.separator), c.expected) << c.name;
    }
}

TEST(GbkText, ContainsCharacterOnlyAtBoundaries) {
    EXPECT_TRUE(containsCharacter("ab|c", "|"));
    EXPECT_FALSE(containsCharacter("ab" + kTrailPipe, "|"));
    EXPECT_TRUE(containsCharacter(G("发☆布"), kRecordSeparator));
    EXPECT_FALSE(
        containsCharacter("\xB0\xA1\xEE"
                          "A",
                          kRecordSeparator));
    EXPECT_FALSE(containsCharacter("", "|"));
    EXPECT_FALSE(containsCharacter("abc", ""));
}

TEST(GbkText, UntilZero) {
    EXPECT_EQ(untilZero("abc\0def"s), "abc");
    EXPECT_EQ(untilZero("abc"), "abc");
    EXPECT_EQ(untilZero("\0"s), "");
}

TEST(GbkText, LatinCaseFoldingLeavesDoubleByteCharactersAlone) {
    // 81 41 and 81 61 are two different characters whose trail bytes are "A" and "a".
    EXPECT_EQ(foldLatinCase("AbC\x81\x41Z"), "abc\x81\x41z");
    EXPECT_EQ(foldLatinCase("\x81"), "\x81");
    struct Case {
        std::string a;
        std::string b;
        bool equal;
    };
    const Case cases[] = {
        {"Demo", "dEMO", true},
        {"demo", "demos", false},
        {"\x81\x41", "\x81\x61", false},
        {G("会员A"), G("会员a"), true},
        {"", "", true},
        {"[", "{", false},  // only letters fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(equalsIgnoringLatinCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(foldLatinCase(c.a) == foldLatinCase(c.b), c.equal) << c.a << " / " << c.b;
    }
}

// The splitting rule walked one character at a time, as plainly as it reads.
Pieces referenceSplit(std::string_view text, std::string_view separator) {
    Pieces pieces;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool lead = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size();
        const std::size_t length = lead ? 2 : 1;
        if (text.substr(i, length) == separator) {
            pieces.emplace_back(text.substr(start, i - start));
            start = i + length;
        }
        i += length;
    }
    if (start < text.size()) {
        pieces.emplace_back(text.substr(start));
    }
    return pieces;
}

TEST(GbkText, SplittingAgreesWithACharacterWalkOnRandomTexts) {
    // Long runs of lead bytes, pipes as trail bytes and separators at every
    // offset of the eight-byte steps.
    const std::string alphabet = "a|A\x81\xB0\xA1\xEE\x7C";
    std::mt19937 generator(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text(generator() % 90, ' ');
        const std::size_t letters = 2 + generator() % (alphabet.size() - 1);
        for (char& c : text) {
            c = alphabet[generator() % letters];
        }
        for (const std::string_view separator : {kFieldSeparator, kRecordSeparator}) {
            const Pieces expected = referenceSplit(text, separator);
            ASSERT_EQ(split(text, separator), expected) << testing::PrintToString(text);

            std::array<std::string_view, 4> first;
            ASSERT_EQ(splitPiecesInto(text, separator, first), expected.size());
            for (std::size_t k = 0; k < std::min(first.size(), expected.size()); ++k) {
                ASSERT_EQ(first[k], expected[k]);
            }
        }
    }
}

TEST(GbkText, SplittingAgreesWithACharacterWalkAfterLongRunsOfLeadBytes) {
    // Runs of every length up to several blocks of 64 bytes, starting at
    // every offset, with separators after them and inside them.
    for (std::size_t offset = 0; offset < 70; offset += 3) {
        for (std::size_t run = 0; run < 300; ++run) {
            const std::string text = std::string(offset, 'a') + std::string(run, '\xB0') + "|a|" +
                                     std::string(run % 7, '\xB0') + "|\xB0\xA1|";
            ASSERT_EQ(split(text, kFieldSeparator), referenceSplit(text, kFieldSeparator))
                << "offset " << offset << ", run " << run;
        }
    }
}

TEST(GbkText, SplitIntoNoRoomStillCounts) {
    EXPECT_EQ(splitPiecesInto("a|b|c", kFieldSeparator, {}), 3u);
    EXPECT_EQ(splitPiecesInto("", kFieldSeparator, {}), 0u);
}

}  // namespace
}  // namespace lanzhou::protocol
