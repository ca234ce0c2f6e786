// The desktop client's command line: --minimized beside the options both
// clients take.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "client/app/desktop_arguments.h"

namespace lanzhou::app {
namespace {

TEST(DesktopArguments, MinimizedStandsBesideTheSharedOptions) {
    struct Case {
        std::vector<std::string_view> arguments;
        bool minimized;
        std::optional<std::string> runDirectory;
        bool server;
    };
    const Case cases[] = {
        {{}, false, std::nullopt, false},
        {{"--minimized"}, true, std::nullopt, false},
        {{"--server", "127.0.0.1:7000", "--minimized", "--run-dir", "run"}, true, "run", true},
        {{"--minimized", "--server=127.0.0.1:7000"}, true, std::nullopt, true},
        // An option's value is its own, whatever it says.
        {{"--run-dir", "--minimized"}, false, "--minimized", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const auto parsed = parseDesktopArguments(c.arguments);
        ASSERT_TRUE(parsed) << parsed.error();
        EXPECT_EQ(parsed->minimized, c.minimized);
        EXPECT_EQ(parsed->session.runDirectory, c.runDirectory);
        EXPECT_EQ(parsed->session.server.has_value(), c.server);
    }
}

TEST(DesktopArguments, UnusableCommandLinesSayWhy) {
    struct Case {
        std::vector<std::string_view> arguments;
        const char* error;
    };
    const Case cases[] = {
        {{"--minimized", "--minimized"}, "--minimized given twice"},
        {{"--minimized=1"}, "unknown argument: --minimized=1"},
        {{"--minimized", "--run-dir"}, "--run-dir needs a value"},
        {{"--minimized", "--ca-file"}, "--ca-file needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const auto parsed = parseDesktopArguments(c.arguments);
        ASSERT_FALSE(parsed);
        EXPECT_EQ(parsed.error(), c.error);
    }
    // The value of --ca-file is its own too: here a file that is not there.
    const auto parsed = parseDesktopArguments({"--ca-file", "--minimized"});
    ASSERT_FALSE(parsed);
    EXPECT_TRUE(parsed.error().starts_with("--ca-file: ")) << parsed.error();
}

}  // namespace
}  // namespace lanzhou::app
