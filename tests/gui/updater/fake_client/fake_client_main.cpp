// lanzhou-updater-fake-client: stands in for the client in the updater's
// window tests. Every start appends "start MODE" to client-log.txt beside
// the program, then:
//   wait    "ready" once a quit request can be received, then "quit" when
//           one came (or "timeout" after 30 s), and ends half a second
//           later, as a client that tidies up before it goes
//   ignore  "ready", then takes no request and ends by itself after 30 s
//   (none)  ends at once: the client as the updater starts it again

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/quit_request.h"

namespace {

void record(std::string_view line) {
    const std::filesystem::path log = lanzhou::platform::executableDirectory() / "client-log.txt";
    if (std::FILE* file = std::fopen(log.string().c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words = lanzhou::platform::utf8Arguments(argc, argv);
    const std::string mode = words.empty() ? std::string("plain") : words.front();
    if (mode != "wait" && mode != "ignore") {
        record("start plain");
        return 0;
    }
    // Before anything is written: the request is held from here on.
    lanzhou::platform::QuitRequestListener listener;
    record("start " + mode);
    record("ready");
    if (mode == "ignore") {
        std::this_thread::sleep_for(std::chrono::seconds(30));
        return 0;
    }
    const bool asked = listener.wait(std::chrono::seconds(30));
    record(asked ? "quit" : "timeout");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return asked ? 0 : 3;
}
