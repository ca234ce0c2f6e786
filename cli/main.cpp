// lanzhou-cli: the session core driven from standard input and output.
// Exit status: 0 when the session ended, 1 for bad usage, 2 when the
// connection could not be made.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/diagnostics.h"
#include "cli/cli_arguments.h"
#include "cli/command_runner.h"
#include "cli/event_writer.h"
#include "cli/json_view.h"
#include "cli/line_reader.h"
#include "cli/loop_gate.h"
#include "client/core/event_loop.h"
#include "client/core/run_directory_choice.h"
#include "client/core/session_core.h"
#include "client/core/status_text.h"
#include "client/core/texts.h"
#include "platform/command_line.h"

namespace {

using namespace lanzhou;

constexpr int kExitDone = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoConnection = 2;

// Longest command line accepted; commands are a few short fields.
constexpr std::size_t kMaxCommandLine = 64 * 1024;

// Failures nobody waits for (a setting that did not reach k_config.ini) go
// to standard error, one line each; standard output stays JSON.
void reportDiagnosticsOnStandardError() {
    setDiagnosticSink([](std::string_view area, std::string_view message) {
        static std::mutex lineGuard;
        std::string line = "lanzhou-cli: ";
        line.append(area);
        line.append(": ");
        line.append(message);
        line += '\n';
        const std::lock_guard lock(lineGuard);
        std::fwrite(line.data(), 1, line.size(), stderr);
    });
}

int runSession(const cli::CliArguments& arguments, const std::string& runDirectory) {
    core::EventLoop loop;
    core::LoopScheduler scheduler(loop);
    cli::EventWriter writer(std::cout);
    auto endSession = [&loop](int code) { loop.quit(code); };
    cli::JsonView view(writer, scheduler, endSession);

    core::SessionCore::Options options;
    options.runDirectory = runDirectory;
    options.serverOverride = arguments.server;
    options.authorityFile = arguments.authorityFile.value_or("");
    core::SessionCore session(scheduler, view, std::move(options));
    view.attach(session);

    if (!session.open()) {
        view.showPrompt(core::gbk(core::text::kConnectFailed));
        return kExitNoConnection;
    }
    view.writeEvent({{"event", "connected"},
                     {"line", cli::utf8(session.line().name)},
                     {"status", cli::utf8(core::lineStatusText(session.line().index))}});

    cli::CommandRunner runner(session, view, endSession);
    const auto gate = std::make_shared<cli::LoopGate>(loop);
    cli::LineReader reader(
        stdin, kMaxCommandLine,
        [gate, &runner](cli::InputLine line) {
            gate->post([&runner, line = std::move(line)] { runner.handle(line); });
        },
        [gate, &loop] { gate->post([&loop] { loop.quit(kExitDone); }); });
    reader.start();

    const int code = loop.run();
    gate->close();
    session.close();
    std::cout.flush();
    if (!reader.finished()) {
        // The reader is blocked reading standard input and cannot be woken
        // portably; end the process without waiting for it. (Not fflush(nullptr):
        // that would wait for the reader's lock on standard input.)
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(code);
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    reportDiagnosticsOnStandardError();
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    const std::vector<std::string_view> words(arguments.begin(), arguments.end());
    const auto parsed = cli::parseArguments(words);
    if (!parsed) {
        std::cerr << "lanzhou-cli: " << parsed.error() << "\n(lanzhou-cli --help for usage)\n";
        return kExitUsage;
    }
    if (parsed->help) {
        std::cout << cli::usageText();
        return kExitDone;
    }
    const auto runDirectory = core::chooseRunDirectory(parsed->runDirectory);
    if (!runDirectory) {
        std::cerr << "lanzhou-cli: " << runDirectory.error() << '\n';
        return kExitUsage;
    }
    return runSession(*parsed, runDirectory->directory);
}
