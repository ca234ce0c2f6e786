// Starting, finding, asking to quit and waiting for a real second program.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/detached_start.h"
#include "platform/file_io.h"
#include "platform/gbk.h"
#include "platform/paths.h"
#include "platform/process_list.h"
#include "platform/process_quit.h"
#include "tests/core/scratch_directory.h"

namespace lanzhou::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path& childProgram() {
    static const fs::path program = executableDirectory() / LANZHOU_PLATFORM_CHILD;
    return program;
}

// Waits up to 20 s for `file` to hold some text (a first window under Wine
// can take seconds).
std::optional<std::string> waitForFile(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto text = readFile(file); text && !text->empty()) {
            return text;
        }
        std::this_thread::sleep_for(5ms);
    }
    return std::nullopt;
}

TEST(ProcessList, ListsThisProgramUnderItsFileName) {
    const auto self = findProcessByName(LANZHOU_PLATFORM_TESTS);
    ASSERT_TRUE(self.has_value());
    // Another platform_tests may run at the same time (ctest -j): this one
    // must be among those listed.
    bool listed = false;
    for (const ProcessEntry& entry : runningProcesses()) {
        listed = listed || (entry.id == currentProcessId() && entry.name == LANZHOU_PLATFORM_TESTS);
    }
    EXPECT_TRUE(listed);
    EXPECT_EQ(findProcessByName(""), std::nullopt);
    EXPECT_EQ(findProcessByName(gbkFromUtf8("没有这个程序.exe")), std::nullopt);
}

TEST(ProcessControl, StartedProgramIsFoundAskedToQuitAndEnds) {
    test::ScratchDirectory scratch;
    const fs::path ready = scratch.path() / "ready.txt";
    const fs::path done = scratch.path() / "done.txt";
    const auto child =
        startDetached(childProgram(), {"listen", ready.string(), done.string()}, scratch.path());
    ASSERT_TRUE(child.has_value());
    ASSERT_TRUE(waitForFile(ready)) << "the child never became ready";

    bool listed = false;
    for (const ProcessEntry& entry : runningProcesses()) {
        listed =
            listed || (entry.id == *child && entry.name == gbkFromUtf8(LANZHOU_PLATFORM_CHILD));
    }
    EXPECT_TRUE(listed);
    EXPECT_FALSE(waitForProcessExit(*child, 0ms)) << "ended before it was asked";

    ASSERT_TRUE(askProcessToQuit(*child));
    EXPECT_TRUE(waitForProcessExit(*child, 10s));
    EXPECT_EQ(waitForFile(done), "quit") << "it ended without taking the request";
    EXPECT_TRUE(waitForProcessExit(*child, 0ms));
}

TEST(ProcessControl, QuitHandlerTakesTheRequestInsteadOfDying) {
    test::ScratchDirectory scratch;
    const fs::path ready = scratch.path() / "ready.txt";
    const fs::path done = scratch.path() / "done.txt";
    const auto child =
        startDetached(childProgram(), {"handle", ready.string(), done.string()}, scratch.path());
    ASSERT_TRUE(child.has_value());
    const auto state = waitForFile(ready);
    ASSERT_TRUE(state) << "the child never became ready";
    if (*state == "unsupported") {
        EXPECT_TRUE(waitForProcessExit(*child, 10s));
        GTEST_SKIP() << "the quit message reaches the event loop here; nothing to install";
    }
    ASSERT_TRUE(askProcessToQuit(*child));
    EXPECT_EQ(waitForFile(done), "quit") << "the handler was not called";
    EXPECT_TRUE(waitForProcessExit(*child, 10s));
}

TEST(ProcessControl, RefusesWhatItCannotDo) {
    test::ScratchDirectory scratch;
    EXPECT_EQ(startDetached(scratch.path() / "missing-program", {}), std::nullopt);
    EXPECT_EQ(startDetached(fs::path(), {}), std::nullopt);
    EXPECT_EQ(startDetached(childProgram(), {std::string("a\0b", 3)}), std::nullopt);
    // Id 0 would name a whole process group on POSIX systems.
    EXPECT_FALSE(askProcessToQuit(0));
    EXPECT_TRUE(waitForProcessExit(0, 0ms));
}

TEST(ProcessControl, EndedProgramCannotBeAskedAgain) {
    test::ScratchDirectory scratch;
    const auto child = startDetached(childProgram(), {"echo", "0"}, scratch.path());
    ASSERT_TRUE(child.has_value());
    EXPECT_TRUE(waitForProcessExit(*child, 10s));
    // It may be reaped a moment after it ended.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (askProcessToQuit(*child) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(askProcessToQuit(*child));
}

}  // namespace
}  // namespace lanzhou::platform
