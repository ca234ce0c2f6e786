// The updater's command line: GBK words, quotes, blanks and the three
// arguments the client hands over.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gbk_literal.h"
#include "updater/core/update_arguments.h"

namespace lanzhou::updater {
namespace {

using Words = std::vector<std::string>;
using test::G;

struct SplitCase {
    const char* what;
    std::string line;
    Words words;
};

TEST(SplitCommandLine, WalksGbkCharactersBlanksAndQuotes) {
    const std::string fullWidthBlank = "\xA1\xA1";
    const std::vector<SplitCase> cases = {
        {"the client's line",
         R"(C:\run\update.exe 28 http://h/u.zip lanzhou.exe)",
         {R"(C:\run\update.exe)", "28", "http://h/u.zip", "lanzhou.exe"}},
        {"runs of blanks, tabs, line breaks and control characters",
         std::string("  a \t\tb\r\nc\x01\x1F") + "d \x7F ",
         {"a", "b", "c", "d", "\x7F"}},
        {"quoted words keep blanks; quotes dropped",
         R"("C:\Program Files\update.exe" 28 "http://h/a b.zip" c.exe)",
         {R"(C:\Program Files\update.exe)", "28", "http://h/a b.zip", "c.exe"}},
        {"an unclosed quote runs to the end", R"(a "b  c)", {"a", "b  c"}},
        {"a quote inside a word is part of it", R"(ab"cd ef)", {R"(ab"cd)", "ef"}},
        {"a closing quote ends the word", R"("ab"cd)", {"ab", "cd"}},
        {"an empty quoted word is a word", R"(a "" b)", {"a", "", "b"}},
        {"full-width blanks inside a quoted word stay",
         "x \"" + fullWidthBlank + "u" + fullWidthBlank + "\" y",
         {"x", fullWidthBlank + "u" + fullWidthBlank, "y"}},
        {"a full-width blank is no separator",
         "a" + fullWidthBlank + "b",
         {"a" + fullWidthBlank + "b"}},
        {"a trail byte 0x20 is not a blank",
         "a\x81\x20"
         "b c",
         {"a\x81\x20"
          "b",
          "c"}},
        {"a trail byte 0x40", G("丂丂 x"), {G("丂丂"), "x"}},
        {"a trail byte '\"' does not close the quote", "\"x\x81\"y z\" w", {"x\x81\"y z", "w"}},
        {"a trail byte '\"' does not open a quote", "\x81\"ab c", {"\x81\"ab", "c"}},
        {"a lead byte at the very end", "ab\x81", {"ab\x81"}},
        {"Chinese words", G("升级 程序"), {G("升级"), G("程序")}},
        {"nothing", "", {}},
        {"only blanks", " \t \r\n", {}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(splitCommandLine(c.line), c.words) << c.what;
    }
}

TEST(ParseUpdateArguments, TakesThreeWordsAndTrimsTheSource) {
    const auto arguments =
        parseUpdateArguments({"28", G("　 http://h/u.zip 　"), "lanzhou.exe", "extra"});
    ASSERT_TRUE(arguments.has_value());
    EXPECT_EQ(arguments->newVersion, "28");
    EXPECT_EQ(arguments->source, "http://h/u.zip");
    EXPECT_EQ(arguments->clientFileName, "lanzhou.exe");

    // The version is kept exactly: it is what ver.txt will hold.
    EXPECT_EQ(parseUpdateArguments({" 28x", "u", "c.exe"})->newVersion, " 28x");
    EXPECT_EQ(parseUpdateArguments({"28", "u", G("客户端.exe")})->clientFileName, G("客户端.exe"));
}

TEST(ParseUpdateArguments, RefusesTooFewWordsAndAClientOutsideItsFolder) {
    EXPECT_EQ(parseUpdateArguments({}), std::nullopt);
    EXPECT_EQ(parseUpdateArguments({"28"}), std::nullopt);
    // An empty update argument leaves two words.
    EXPECT_EQ(parseUpdateArguments({"28", "lanzhou.exe"}), std::nullopt);
    for (const char* name : {"", ".", "..", R"(..\..\Windows\evil.exe)", "../evil",
                             R"(C:\evil.exe)", "c:evil.exe", "/bin/sh"}) {
        EXPECT_EQ(parseUpdateArguments({"28", "u", name}), std::nullopt) << name;
    }
}

TEST(TrimBlanks, RemovesAsciiAndFullWidthBlanksAtCharacterBoundaries) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  http://h/u.zip  ", "http://h/u.zip"},
        {G("　http://h/u.zip　　"), "http://h/u.zip"},
        {G(" 　 a b　c 　 "), G("a b　c")},
        {G("　 　"), ""},
        {"", ""},
        {"\tx\t", "\tx\t"},  // only blanks are trimmed
        // "啊" (B0 A1) then a lone A1: no full-width blank at a boundary.
        {"x\xB0\xA1\xA1", "x\xB0\xA1\xA1"},
        {G("啊　"), G("啊")},
        // A character whose trail byte is 0x20 is not a blank.
        {"x\x81\x20", "x\x81\x20"},
    };
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(trimBlanks(text), trimmed) << text;
    }
}

}  // namespace
}  // namespace lanzhou::updater
