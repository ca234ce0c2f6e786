// lanzhou-server: `serve` runs the service; every other command is an
// operator command on the database (usable while the service runs).

#include <asio.hpp>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/open_file_limit.h"
#include "platform/owner_switch.h"
#include "server/commands/command_options.h"
#include "server/commands/operator_commands.h"
#include "server/database/open_storage.h"
#include "server/network/network_server.h"
#include "server/service/service_settings.h"

#include "operator_settings.h"

namespace {

using lanzhou::server::NetworkServer;
using lanzhou::server::ServiceSettings;

constexpr std::string_view kUsage =
    "usage: lanzhou-server COMMAND [ARGUMENTS]\n"
    "\n"
    "  serve [--db DATABASE] [--listen HOST:PORT] [--config FILE]\n"
    "        [--tls-listen HOST:PORT --tls-cert FILE --tls-key FILE]\n"
    "      Runs the service (port 0: any free port). Prints {\"listening\":\"HOST:PORT\"}\n"
    "      once it accepts members; stops on SIGINT or SIGTERM. DATABASE is an SQLite\n"
    "      file or a PostgreSQL URI (postgresql://USER@HOST:PORT/NAME) without a\n"
    "      password: libpq's ~/.pgpass, PGPASSFILE or PGSERVICE, or the settings'\n"
    "      [database] password_file supply it. Without --db, the settings'\n"
    "      [database] location names it.\n"
    "      --tls-listen (or the settings' [tls] table) also accepts members over\n"
    "      TLS 1.2 or newer, with the PEM certificate chain and key given (the key\n"
    "      file readable by its owner only: chmod 600), and prints\n"
    "      {\"listening_tls\":\"HOST:PORT\"}. With TLS, the plain listener opens only\n"
    "      when --listen or the settings' listen asks for it; plain lines send\n"
    "      passwords in clear text.\n"
    "\n"
    "  Run by root on an SQLite file of another user, serve and the operator\n"
    "  commands first become that user, so that every file they make beside\n"
    "  the database stays usable by the service.\n"
    "\n";

void printUsage(std::ostream& out) {
    out << kUsage << lanzhou::server::kOperatorCommandsHelp;
}

struct ServeArguments {
    std::string database;
    std::optional<std::string> listen;
    std::optional<std::string> config;
    std::optional<std::string> tlsListen;
    std::optional<std::string> tlsCertificate;
    std::optional<std::string> tlsKey;
};

// False with a message when the arguments are not those of `serve`.
bool parseServe(std::span<const std::string_view> args, ServeArguments& out, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        if (name != "--db" && name != "--listen" && name != "--config" && name != "--tls-listen" &&
            name != "--tls-cert" && name != "--tls-key") {
            error = "unknown argument: " + std::string(name);
            return false;
        }
        if (i + 1 >= args.size()) {
            error = std::string(name) + " needs a value";
            return false;
        }
        const std::string value(args[++i]);
        if (name == "--db") {
            out.database = value;
        } else if (name == "--listen") {
            out.listen = value;
        } else if (name == "--tls-listen") {
            out.tlsListen = value;
        } else if (name == "--tls-cert") {
            out.tlsCertificate = value;
        } else if (name == "--tls-key") {
            out.tlsKey = value;
        } else {
            out.config = value;
        }
    }
    return true;
}

// Run by root on an SQLite file of another user, becomes that user (see
// becomeOwnerOf); false after a message when that failed.
bool actAsDatabaseOwner(std::string_view location) {
    if (lanzhou::server::isPostgresAddress(location)) {
        return true;
    }
    const auto owner = lanzhou::platform::becomeOwnerOf(std::filesystem::path(location));
    if (!owner.error.empty()) {
        std::cerr << "lanzhou-server: cannot become the owner of " << location << ": "
                  << owner.error << "\n";
        return false;
    }
    if (owner.switched) {
        std::cerr << "lanzhou-server: acting as " << owner.user << ", the owner of " << location
                  << "\n";
    }
    return true;
}

int operatorCommand(std::span<const std::string_view> args) {
    auto invocation = lanzhou::server::applyOperatorSettings(args);
    if (!invocation) {
        std::cerr << "lanzhou-server " << args.front() << ": " << invocation.error() << "\n";
        return 1;
    }
    const std::vector<std::string_view> words(invocation->words.begin(), invocation->words.end());
    // The database's location, read as the command will read it.
    std::string ignored;
    const auto options = lanzhou::server::CommandOptions::parse(
        std::span<const std::string_view>(words).subspan(1), ignored);
    const auto database = options ? options->value("--db") : std::nullopt;
    if (database && !database->empty() && !actAsDatabaseOwner(*database)) {
        return 2;
    }
    return lanzhou::server::runOperatorCommand(words, std::cout, std::cerr,
                                               invocation->databasePasswordFile);
}

// The TLS flags over the settings' [tls] table; false with a message when
// the listener would lack its address, certificate or key.
bool applyTlsArguments(const ServeArguments& arguments, ServiceSettings& settings,
                       std::string& error) {
    if (!arguments.tlsListen && !arguments.tlsCertificate && !arguments.tlsKey) {
        return true;
    }
    lanzhou::server::TlsSettings tls = settings.tls.value_or(lanzhou::server::TlsSettings{});
    tls.listen = arguments.tlsListen.value_or(tls.listen);
    tls.certificate = arguments.tlsCertificate.value_or(tls.certificate.string());
    tls.key = arguments.tlsKey.value_or(tls.key.string());
    if (tls.listen.empty() || tls.certificate.empty() || tls.key.empty()) {
        error = "TLS needs --tls-listen, --tls-cert and --tls-key (or a [tls] table)";
        return false;
    }
    settings.tls = std::move(tls);
    return true;
}

std::string listeningLine(std::string_view key, const std::string& endpoint, int port) {
    const std::string host = endpoint.substr(0, endpoint.rfind(':'));
    return "{\"" + std::string(key) + "\":\"" + host + ":" + std::to_string(port) + "\"}\n";
}

int serve(std::span<const std::string_view> args) {
    ServeArguments arguments;
    std::string error;
    if (!parseServe(args, arguments, error)) {
        std::cerr << "lanzhou-server: " << error << "\n";
        printUsage(std::cerr);
        return 1;
    }
    ServiceSettings settings = lanzhou::server::defaultServiceSettings();
    if (arguments.config) {
        auto loaded = lanzhou::server::loadServiceSettings(*arguments.config);
        if (!loaded) {
            std::cerr << "lanzhou-server: " << loaded.error() << "\n";
            return 1;
        }
        settings = std::move(*loaded);
    }
    if (arguments.listen) {
        settings.listen = *arguments.listen;
        settings.listenGiven = true;
    }
    const std::string database =
        arguments.database.empty() ? settings.databaseLocation : arguments.database;
    if (database.empty()) {
        std::cerr << "lanzhou-server: serve needs --db DATABASE, or --config FILE with a "
                     "[database] location\n";
        printUsage(std::cerr);
        return 1;
    }
    if (!applyTlsArguments(arguments, settings, error)) {
        std::cerr << "lanzhou-server: " << error << "\n";
        return 1;
    }
    const bool plain = settings.listenGiven || !settings.tls;
    if (!actAsDatabaseOwner(database)) {
        return 1;
    }
    auto opened = lanzhou::server::openStorage(database, settings.databasePasswordFile);
    if (!opened) {
        std::cerr << "lanzhou-server: cannot open the database: " << opened.error() << "\n";
        return 1;
    }
    const std::uint64_t openFiles = lanzhou::platform::raiseOpenFileLimit();

    NetworkServer server(settings, **opened);
    if ((plain && !server.listen(settings.listen, error)) ||
        (settings.tls && !server.listenTls(*settings.tls, error))) {
        std::cerr << "lanzhou-server: " << error << "\n";
        return 1;
    }

    // Signals are waited for on a thread of their own, which asks the
    // server to stop; the server then closes every connection and returns.
    asio::io_context signalContext(1);
    asio::signal_set signals(signalContext, SIGINT, SIGTERM);
    signals.async_wait([&server](const asio::error_code& signalError, int) {
        if (!signalError) {
            server.stop();
        }
    });
    std::thread signalThread([&signalContext] { signalContext.run(); });

    // One write, so that a reader taking the first line gets them all.
    std::string listening;
    if (plain) {
        listening += listeningLine("listening", settings.listen, server.port());
    }
    if (settings.tls) {
        listening += listeningLine("listening_tls", settings.tls->listen, server.tlsPort());
    }
    std::cout << listening << std::flush;
    if (openFiles != 0) {
        std::cerr << "lanzhou-server: up to " << openFiles << " open files\n";
    }
    server.run();

    signalContext.stop();
    signalThread.join();
    std::cerr << "lanzhou-server: stopped\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) {
        printUsage(std::cerr);
        return 1;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(std::cout);
        return 0;
    }
    if (args[0] == "serve") {
        return serve(std::span<const std::string_view>(args).subspan(1));
    }
    if (!lanzhou::server::isOperatorCommand(args[0])) {
        std::cerr << "lanzhou-server: unknown command " << args[0] << "\n";
        printUsage(std::cerr);
        return 1;
    }
    return operatorCommand(args);
}
