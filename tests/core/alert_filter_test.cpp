#include "client/core/alert_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

struct FilterCase {
    const char* what;
    std::string name;    // GBK
    std::string search;  // GBK
    bool matches;
};

// A row whose other texts hold no letter or character of the searches below
// unless a case says so.
AlertRow rowNamed(const std::string& name) {
    static const std::string operation = G("逢低买入");
    static const std::string remark = G("<b>Stop</b> 止损");
    return {"A1", "2013-11-24 09:05:03", "600000", name, operation, "9.85", "10.20", remark};
}

class AlertFilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(AlertFilterCases, MatchesWholeCharactersLatinLettersWithoutCase) {
    const FilterCase& c = GetParam();
    EXPECT_EQ(AlertFilter(c.search).matches(rowNamed(c.name)), c.matches) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Searches, AlertFilterCases,
    ::testing::Values(FilterCase{"empty search: every row", G("浦发银行"), "", true},
                      FilterCase{"code", G("浦发银行"), "6000", true},
                      FilterCase{"name", G("浦发银行"), G("发银"), true},
                      FilterCase{"operation", G("浦发银行"), G("低买"), true},
                      FilterCase{"remark, other case", G("浦发银行"), "STOP", true},
                      FilterCase{"remark, Chinese", G("浦发银行"), G("止损"), true},
                      FilterCase{"Latin name, mixed case", "PetroChina", "trOCH", true},
                      FilterCase{"none", G("浦发银行"), G("招商"), false},
                      FilterCase{"prices and time are not searched", G("浦发银行"), "9.85", false},
                      FilterCase{"longer than every text", G("浦发银行"), G("浦发银行浦发银行"),
                                 false},
                      // 丄 is 0x81 0x41: its trail byte is "A".
                      FilterCase{"trail byte A is not the letter", G("丄"), "a", false},
                      FilterCase{"trail byte A, searched as A", G("丄"), "A", false},
                      // 乤 is 0x81 0x61: its trail byte is "a".
                      FilterCase{"trail byte a is not the letter", G("乤"), "a", false},
                      // 啊啊 is B0 A1 B0 A1; A1 B0 is “ across the two.
                      FilterCase{"no character across two", G("啊啊"), G("“"), false},
                      FilterCase{"the character itself", G("x丄"), G("丄"), true},
                      FilterCase{"a letter after it", G("丄b"), "B", true}));

TEST(AlertFilter, FromWhatTheMemberTypedACharacterGbkCannotHoldMatchesNothing) {
    const std::string name = G("浦发银行?");
    const AlertRow row = rowNamed(name);
    struct Case {
        std::string typed;  // UTF-8
        bool matches;
    };
    for (const Case& c : std::vector<Case>{
             {"", true}, {"发银", true}, {"?", true}, {"😀", false}, {"浦发😀", false}}) {
        EXPECT_EQ(AlertFilter::fromUtf8(c.typed).matches(row), c.matches) << c.typed;
    }
    EXPECT_FALSE(AlertFilter::fromUtf8("😀").empty());
}

TEST(AlertFilter, NeedleEndingInALoneLeadByteMatchesNoHalfCharacter) {
    // Only a stray lead byte that ends the text is such a character.
    EXPECT_FALSE(containsIgnoringLatinCase(G("啊"), "\xB0"));
    EXPECT_TRUE(containsIgnoringLatinCase("x\xB0", "\xB0"));
}

}  // namespace
}  // namespace lanzhou::core
