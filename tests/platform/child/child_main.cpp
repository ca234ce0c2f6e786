// lanzhou-platform-child: the other process of the platform tests.
//   echo STATUS WORD...  prints each WORD as hexadecimal bytes on its own line,
//                        then copies standard input to standard output and
//                        "err:" + the input's size to standard error; exits
//                        with STATUS
//   listen READY DONE    creates READY once a quit request can be received,
//                        waits up to 30 s for one and writes "quit" (or
//                        "timeout") into DONE
//   handle READY DONE    the same through installQuitHandler (the way the
//                        desktop client ends on request); writes
//                        "unsupported" into READY where nothing is installed

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"
#include "platform/quit_handler.h"
#include "platform/quit_request.h"

namespace {

void writeFile(const std::string& utf8Path, std::string_view text) {
    std::ofstream out(std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end())),
                      std::ios::binary | std::ios::trunc);
    out << text;
}

int echo(const std::vector<std::string>& words) {
    for (std::size_t i = 2; i < words.size(); ++i) {
        for (const char c : words[i]) {
            std::printf("%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
        }
        std::printf("\n");
    }
    std::size_t total = 0;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
        std::fwrite(buffer, 1, got, stdout);
        total += got;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "err:%zu", total);
    return std::atoi(words[1].c_str());
}

int listen(const std::string& ready, const std::string& done) {
    lanzhou::platform::QuitRequestListener listener;
    writeFile(ready, "ready");
    const bool asked = listener.wait(std::chrono::seconds(30));
    writeFile(done, asked ? "quit" : "timeout");
    return asked ? 0 : 3;
}

int handle(const std::string& ready, const std::string& done) {
    std::promise<void> asked;
    if (!lanzhou::platform::installQuitHandler([&asked] { asked.set_value(); })) {
        writeFile(ready, "unsupported");
        return 0;
    }
    writeFile(ready, "ready");
    const bool quit =
        asked.get_future().wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    writeFile(done, quit ? "quit" : "timeout");
    return quit ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words = lanzhou::platform::utf8Arguments(argc, argv);
    const std::string_view mode = words.empty() ? std::string_view() : std::string_view(words[0]);
    if (mode == "echo" && words.size() >= 2) {
        return echo(words);
    }
    if (mode == "listen" && words.size() == 3) {
        return listen(words[1], words[2]);
    }
    if (mode == "handle" && words.size() == 3) {
        return handle(words[1], words[2]);
    }
    std::fprintf(stderr,
                 "usage: lanzhou-platform-child echo STATUS WORD... | listen|handle READY DONE\n");
    return 64;
}
