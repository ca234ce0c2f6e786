// Piped child programs, and command lines read back by a real program's C
// runtime (on Windows the words travel as one command line).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "platform/paths.h"

namespace lanzhou::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string hex(std::string_view word) {
    std::string text;
    char digits[3];
    for (const char c : word) {
        std::snprintf(digits, sizeof digits, "%02X",
                      static_cast<unsigned>(static_cast<unsigned char>(c)));
        text += digits;
    }
    return text + "\n";
}

struct Finished {
    std::string output;
    std::string errors;
    std::optional<int> status;
};

// Runs the child's echo mode with `words` and `input`, reading both outputs
// on their own threads as a real user of ChildProcess does.
Finished runEcho(int status, const std::vector<std::string>& words, const std::string& input) {
    std::vector<std::string> arguments{"echo", std::to_string(status)};
    arguments.insert(arguments.end(), words.begin(), words.end());
    auto child = ChildProcess::start(executableDirectory() / LANZHOU_PLATFORM_CHILD, arguments);
    if (!child) {
        ADD_FAILURE() << "not started";
        return {};
    }
    Finished finished;
    std::thread errorReader([&] {
        char buffer[256];
        for (std::size_t got; (got = child->readErrors(buffer, sizeof buffer)) > 0;) {
            finished.errors.append(buffer, got);
        }
    });
    bool written = false;
    std::thread writer([&] {
        written = child->writeInput(input);
        child->closeInput();
    });
    char buffer[4096];
    for (std::size_t got; (got = child->readOutput(buffer, sizeof buffer)) > 0;) {
        finished.output.append(buffer, got);
    }
    errorReader.join();
    writer.join();
    EXPECT_TRUE(written);
    finished.status = child->waitForExit(10s);
    // The child writes in text mode: "\r\n" on Windows.
    std::erase(finished.output, '\r');
    return finished;
}

TEST(ChildProcess, WordsArriveUnchanged) {
    const std::vector<std::string> words = {
        "plain",         "two words",        "",
        "quote\"inside", "\"quoted\"",       "back\\slash",
        "trailing\\",    "trailing space\\", "\\\\server\\share\\",
        "\\\"",          "tab\there",        "C:\\Program Files\\lanzhou\\update.exe",
        "账号☆",
    };
    std::string expected;
    for (const std::string& word : words) {
        expected += hex(word);
    }
    const Finished finished = runEcho(0, words, "");
    EXPECT_EQ(finished.output, expected);
    EXPECT_EQ(finished.status, 0);
}

TEST(ChildProcess, PipesCarryInputOutputErrorsAndStatus) {
    std::string input(200'000, 'x');  // more than one pipe buffer
    input += "\nend";
    const Finished finished = runEcho(7, {}, input);
    EXPECT_EQ(finished.output.size(), input.size());
    EXPECT_TRUE(finished.output == input) << "the output differs from the input";
    EXPECT_EQ(finished.errors, "err:" + std::to_string(input.size()));
    EXPECT_EQ(finished.status, 7);
}

TEST(ChildProcess, MissingProgramIsNotStarted) {
    EXPECT_EQ(ChildProcess::start(executableDirectory() / "no-such-program", {}), nullptr);
}

TEST(ChildProcess, RunningChildIsKilledAndReported) {
    // The child waits for input that never ends.
    auto child = ChildProcess::start(executableDirectory() / LANZHOU_PLATFORM_CHILD, {"echo", "0"});
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->waitForExit(0ms), std::nullopt);
    child->kill();
    const auto status = child->waitForExit(10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    char buffer[16];
    EXPECT_EQ(child->readOutput(buffer, sizeof buffer), 0u);
    EXPECT_FALSE(child->writeInput("gone\n"));
}

}  // namespace
}  // namespace lanzhou::platform
