#include "client/core/terms_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/gbk.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::core {
namespace {

using test::G;

constexpr std::string_view kName = "澜舟智投";

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Code points of a UTF-8 text, line breaks left out.
std::size_t characters(std::string_view utf8) {
    std::size_t count = 0;
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if ((byte & 0xC0) != 0x80 && byte != '\r' && byte != '\n') {
            ++count;
        }
    }
    return count;
}

// Read back in UTF-8, where searching cannot match across characters.
std::string terms(std::string_view titleUtf8) {
    return platform::utf8FromGbk(termsOfService(G(titleUtf8)));
}

TEST(TermsText, BuiltInTextHasItsTitleSectionsLengthAndName) {
    const std::string text = terms(kName);
    EXPECT_EQ(text.rfind("服务条款\r\n", 0), 0u);
    EXPECT_EQ(occurrences(text, kName), 47u);
    std::size_t previous = 0;
    for (const std::string_view heading :
         {"一、澜舟智投使用规则", "二、隐私保护政策", "三、免责声明与风险承担",
          "四、网络内容和所有权", "五、暂停与终止服务"}) {
        SCOPED_TRACE(std::string(heading));
        const std::size_t at = text.find("\r\n" + std::string(heading) + "\r\n");
        ASSERT_NE(at, std::string::npos);
        EXPECT_GT(at, previous);  // in order
        EXPECT_EQ(occurrences(text, heading), 1u);
        previous = at;
    }
    const std::size_t length = characters(text);
    EXPECT_GE(length, 2200u);
    EXPECT_LE(length, 2400u);
}

TEST(TermsText, LinesEndInCarriageReturnAndLineFeedAndTheTextIsPlainGbk) {
    const std::string gbk = termsOfService(G(kName));
    for (std::size_t at = gbk.find('\n'); at != std::string::npos; at = gbk.find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(gbk[at - 1], '\r') << "bare line feed at " << at;
    }
    EXPECT_EQ(occurrences(gbk, "\r\r"), 0u);
    // Every character survives a round trip: nothing GBK cannot hold.
    EXPECT_EQ(G(platform::utf8FromGbk(gbk)), gbk);
    EXPECT_EQ(occurrences(platform::utf8FromGbk(gbk), "?"), 0u);
}

TEST(TermsText, ProductTitleStandsWhereTheNameStood) {
    const std::string builtIn = terms(kName);
    struct Case {
        const char* title;
        const char* firstHeading;
    };
    const Case cases[] = {
        {"ABC", "一、ABC使用规则"},
        {"智投宝", "一、智投宝使用规则"},
        {"", "一、使用规则"},                      // removed
        {"新澜舟智投", "一、新澜舟智投使用规则"},  // no recursion
        {"澜舟", "一、澜舟使用规则"},              // a part of the name
        {"a|b", "一、a|b使用规则"},                // taken as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const std::string text = terms(c.title);
        EXPECT_NE(text.find(std::string("\r\n") + c.firstHeading + "\r\n"), std::string::npos);
        EXPECT_EQ(text, replaced(builtIn, kName, c.title));
    }
    EXPECT_EQ(occurrences(terms("ABC"), "ABC"), 47u);
    EXPECT_EQ(occurrences(terms(""), kName), 0u);
    EXPECT_EQ(occurrences(terms("新澜舟智投"), kName), 47u);
    EXPECT_EQ(termsOfService("").size(), termsOfService(G(kName)).size() - 47 * G(kName).size());
}

TEST(TermsText, TitleBytesAreInsertedUnchanged) {
    // Whatever the server sent, even half a double-byte character.
    const std::string title = "\xC0";
    const std::string text = termsOfService(title);
    EXPECT_EQ(occurrences(text, G("一、") + title + G("使用规则")), 1u);
    EXPECT_EQ(text.size(), termsOfService("").size() + 47);
}

}  // namespace
}  // namespace lanzhou::core
