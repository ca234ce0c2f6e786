#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/command_line.h"

namespace lanzhou::platform {
namespace {

TEST(WindowsCommandLine, QuotesOnlyWhatNeedsIt) {
    struct Case {
        std::vector<std::string> words;
        std::string line;
    };
    const Case cases[] = {
        // The updater's command line as the client builds it stays as it is.
        {{"C:\\run\\update.exe", "28", "http://host/u.zip", "lanzhou.exe"},
         "C:\\run\\update.exe 28 http://host/u.zip lanzhou.exe"},
        {{"C:\\Program Files\\lanzhou\\update.exe", "28"},
         "\"C:\\Program Files\\lanzhou\\update.exe\" 28"},
        {{"p", ""}, "p \"\""},
        {{"p", "say \"hi\""}, "p \"say \\\"hi\\\"\""},
        {{"p", "a\\b"}, "p a\\b"},
        {{"p", "dir with blank\\"}, "p \"dir with blank\\\\\""},
        {{"p", "a\\\\\"b"}, "p \"a\\\\\\\\\\\"b\""},
        {{"p", "tab\tx"}, "p \"tab\tx\""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windowsCommandLine(c.words), c.line) << c.line;
    }
}

TEST(WindowsCommandLine, RefusesWordsNoCommandLineCarries) {
    EXPECT_EQ(windowsCommandLine({"p", std::string("a\0b", 3)}), std::nullopt);
    EXPECT_EQ(windowsCommandLine({"p", "two\nlines"}), std::nullopt);
    EXPECT_EQ(windowsCommandLine({"p", "cr\r"}), std::nullopt);
}

}  // namespace
}  // namespace lanzhou::platform
