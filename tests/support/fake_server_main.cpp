// lanzhou-fake-server [--port N] [--tls-cert FILE --tls-key FILE]
//
// Runs the scripted fake service on 127.0.0.1 (port 0 or none: ephemeral),
// prints {"port":N} on one line of standard output and serves until SIGINT
// or SIGTERM. With a certificate chain and its key (PEM) it serves behind
// TLS, for clients given tls://127.0.0.1:N.
#include <asio.hpp>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "tests/support/fake_service.h"

namespace {

using namespace lanzhou;

struct Options {
    int port = 0;
    std::string certificate;
    std::string key;
};

bool parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--port" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value.empty() || value.size() > 5 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                return false;
            }
            options.port = std::stoi(value);
            if (options.port > 65535) {
                return false;
            }
        } else if (argument == "--tls-cert" && i + 1 < argc) {
            options.certificate = argv[++i];
        } else if (argument == "--tls-key" && i + 1 < argc) {
            options.key = argv[++i];
        } else {
            return false;
        }
    }
    return options.certificate.empty() == options.key.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::cerr << "usage: lanzhou-fake-server [--port N] [--tls-cert FILE --tls-key FILE]\n";
        return 2;
    }
    asio::io_context io;
    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&io](const asio::error_code&, int) { io.stop(); });

    const test::FakeServiceScript script = test::demoScript();
    const auto port = static_cast<std::uint16_t>(options.port);
    const auto service =
        options.certificate.empty()
            ? std::make_unique<test::FakeService>(script, port)
            : std::make_unique<test::FakeService>(
                  script, test::FakeServer::TlsFiles{options.certificate, options.key}, port);
    if (service->port() == 0) {
        const std::string why = service->server().tlsError();
        std::cerr << "lanzhou-fake-server: cannot listen on 127.0.0.1:" << options.port
                  << (why.empty() ? "" : ": " + why) << "\n";
        return 1;
    }
    std::cout << "{\"port\":" << service->port() << "}" << std::endl;

    auto work = asio::make_work_guard(io);
    io.run();
    return 0;
}
