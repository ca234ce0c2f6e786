// lanzhou: the desktop client. Exit status 0 when the session ended (also
// when the server could not be reached, after the prompt), 1 for bad usage
// (told on standard error and in a prompt).

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "client/account/login_window.h"
#include "client/app/application_setup.h"
#include "client/app/core_diagnostics.h"
#include "client/app/desktop_arguments.h"
#include "client/app/desktop_client.h"
#include "client/app/startup_probe.h"
#include "client/app/usage_prompt.h"
#include "client/core/run_directory_choice.h"
#include "platform/command_line.h"
#include "platform/quit_handler.h"

namespace {

constexpr int kExitUsage = 1;

constexpr std::string_view kUsage =
    R"(usage: lanzhou [--server [tls://]HOST:PORT] [--ca-file FILE] [--run-dir DIR]
               [--minimized]

The desktop client of the alert service.

  --server HOST:PORT  connect here instead of the line chosen in k_config.ini
                      (default: the environment variable LANZHOU_SERVER, which
                      a client restarted by the updater inherits);
                      tls://HOST:PORT connects inside TLS, verifying the
                      server's certificate and host name
  --ca-file FILE      trust the authorities of this PEM bundle for TLS
                      instead of the system's
  --run-dir DIR       directory of k_config.ini, ver.txt, ico/ and music/
                      (must exist); default: the directory of this program
  --minimized         with a remembered account, log in by itself and start
                      in the notification area (minimized where there is
                      none); without one, show the login window as usual.
                      The entry that starts the client with the computer
                      passes it
  --help              this text
)";

// A command line the client cannot use: the reason on standard error for a
// terminal and in a prompt for a member without one, then status 1.
int refuseUsage(int argc, char** argv, const std::string& reason) {
    lanzhou::app::prepareQtEnvironment();
    std::fprintf(stderr, "lanzhou: %s\n(lanzhou --help for usage)\n", reason.c_str());
    QApplication application(argc, argv);
    lanzhou::app::showUsagePrompt(reason);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lanzhou;

    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    const std::vector<std::string_view> words(arguments.begin(), arguments.end());
    const auto desktop = app::parseDesktopArguments(words);
    if (!desktop) {
        return refuseUsage(argc, argv, desktop.error());
    }
    const core::SessionArguments* parsed = &desktop->session;
    if (parsed->help) {
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return 0;
    }
    std::optional<core::Endpoint> server = parsed->server;
    if (const char* fromEnvironment = std::getenv("LANZHOU_SERVER"); !server && fromEnvironment) {
        server = core::parseEndpoint(fromEnvironment);
        if (!server) {
            return refuseUsage(
                argc, argv, std::string("LANZHOU_SERVER wants HOST:PORT, got: ") + fromEnvironment);
        }
    }
    const auto runDirectory = core::chooseRunDirectory(parsed->runDirectory);
    if (!runDirectory) {
        return refuseUsage(argc, argv, runDirectory.error());
    }

    app::prepareQtEnvironment();
    app::logCoreDiagnostics();
    QApplication application(argc, argv);
    app::setUpApplication(runDirectory->directory);
    app::reportPromptsWhenShown();

    app::DesktopClient::Options options;
    options.runDirectory = runDirectory->directory;
    options.server = server;
    options.authorityFile = parsed->authorityFile.value_or("");
    options.programInRunDirectory = runDirectory->programFolder;
    options.startMinimized = desktop->minimized;
    app::DesktopClient client(std::move(options));
    // Asked to quit from outside (the updater does before it replaces our
    // files): end at once, as the quit message does on Windows. The request
    // comes on another thread, which must not reach a client being destroyed.
    static std::mutex clientGuard;
    static app::DesktopClient* running = nullptr;
    {
        const std::lock_guard lock(clientGuard);
        running = &client;
    }
    platform::installQuitHandler([] {
        const std::lock_guard lock(clientGuard);
        if (running != nullptr) {
            running->endProgram(0);
        }
    });
    const auto forget = [] {
        const std::lock_guard lock(clientGuard);
        running = nullptr;
    };
    if (!client.start()) {
        forget();
        return 0;
    }
    app::reportStartupWhenShown(client.loginWindow());
    const int status = QApplication::exec();
    forget();
    return status;
}
