// Asking a running client to quit: a real second program under a name of its
// own, found, asked and waited for.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "platform/child_process.h"
#include "platform/file_io.h"
#include "tests/core/scratch_directory.h"
#include "updater/core/client_shutdown.h"

namespace lanzhou::updater {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string uniqueName() {
    std::random_device random;
    return "lanzhou-client-" + std::to_string(random()) +
           fs::path(LANZHOU_PLATFORM_CHILD).extension().string();
}

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<std::string> waitForFile(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto text = platform::readFile(file); text && !text->empty()) {
            return text;
        }
        std::this_thread::sleep_for(5ms);
    }
    return std::nullopt;
}

TEST(ShutDownClient, RunningClientIsAskedAndEnds) {
    test::ScratchDirectory scratch;
    // A copy under a name no other process has, so that nothing else is asked.
    const std::string name = uniqueName();
    const fs::path client = scratch.path() / name;
    fs::copy_file(LANZHOU_PLATFORM_CHILD, client);
    const fs::path ready = scratch.path() / "ready.txt";
    const fs::path done = scratch.path() / "done.txt";
    const auto process =
        platform::ChildProcess::start(client, {"listen", utf8Of(ready), utf8Of(done)});
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitForFile(ready)) << "the client never became ready";

    EXPECT_EQ(shutDownClient(name, 20s), ClientShutdown::Ended);
    EXPECT_EQ(waitForFile(done), "quit") << "it ended without taking the request";
    EXPECT_EQ(shutDownClient(name, 0ms), ClientShutdown::NotRunning);
}

TEST(ShutDownClient, OfTwoClientsWithTheNameOneIsAskedAtATime) {
    test::ScratchDirectory scratch;
    const std::string name = uniqueName();
    const fs::path client = scratch.path() / name;
    fs::copy_file(LANZHOU_PLATFORM_CHILD, client);
    std::unique_ptr<platform::ChildProcess> processes[2];
    fs::path done[2];
    for (int i = 0; i < 2; ++i) {
        const fs::path ready = scratch.path() / ("ready" + std::to_string(i));
        done[i] = scratch.path() / ("done" + std::to_string(i));
        processes[i] =
            platform::ChildProcess::start(client, {"listen", utf8Of(ready), utf8Of(done[i])});
        ASSERT_NE(processes[i], nullptr);
        ASSERT_TRUE(waitForFile(ready));
    }

    EXPECT_EQ(shutDownClient(name, 20s), ClientShutdown::Ended);
    const int first = processes[0]->waitForExit(0ms) ? 0 : 1;
    EXPECT_TRUE(processes[first]->waitForExit(0ms).has_value());
    EXPECT_FALSE(processes[1 - first]->waitForExit(0ms).has_value()) << "only one was asked";
    EXPECT_FALSE(fs::exists(done[1 - first]));

    EXPECT_EQ(shutDownClient(name, 20s), ClientShutdown::Ended);
    EXPECT_EQ(waitForFile(done[1 - first]), "quit");
    EXPECT_EQ(shutDownClient(name, 0ms), ClientShutdown::NotRunning);
}

TEST(ShutDownClient, ClientThatIsNotRunning) {
    EXPECT_EQ(shutDownClient(uniqueName(), 0ms), ClientShutdown::NotRunning);
    EXPECT_EQ(shutDownClient("", 0ms), ClientShutdown::NotRunning);
}

}  // namespace
}  // namespace lanzhou::updater
