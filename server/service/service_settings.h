#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::server {

// [tls]: a listener for the same protocol inside TLS. The paths are taken
// relative to the settings file.
struct TlsSettings {
    std::string listen;                 // "HOST:PORT"
    std::filesystem::path certificate;  // PEM: the server's certificate, then its chain
    std::filesystem::path key;          // PEM: its private key, readable by its owner only

    friend bool operator==(const TlsSettings&, const TlsSettings&) = default;
};

// What an operator configures (TOML file, UTF-8; kept here as GBK texts):
// everything the handshake sends, and how the server behaves.
struct ServiceSettings {
    protocol::VersionInfo version;      // current version and update source ("#54")
    protocol::SessionConfig session;    // product title ... support contacts ("#55")
    std::string bulletinHtml;           // "#56"
    protocol::ChannelTable channels{};  // "#57"
    protocol::WebPageTable webPages{};  // "#58"

    std::string listen = "127.0.0.1:8866";
    // Whether `listen` was given: with a TLS listener, the plain one is
    // opened only then.
    bool listenGiven = false;
    std::optional<TlsSettings> tls;
    bool oneAccountPerComputer = false;       // "#a1" refuses a second account per adapter
    std::int32_t alertListCount = 500;        // alerts in a "#59" answer
    std::size_t maxRequestBytes = 16 * 1024;  // a larger request closes the connection
    std::size_t maxQueuedBytes = std::size_t{4} << 20;  // per connection; beyond: disconnect
    // [database] location: an SQLite file (made absolute against the
    // settings file's folder) or a PostgreSQL URI; empty: none named.
    std::string databaseLocation;
    // [database] password_file: the PostgreSQL password, so that it never
    // shows on a command line; empty: libpq finds it (or needs none).
    std::filesystem::path databasePasswordFile;

    friend bool operator==(const ServiceSettings&, const ServiceSettings&) = default;
};

// A working service without any file: title, colours, heartbeat 30 s,
// popups closing after 8 s, six channels and no web pages.
ServiceSettings defaultServiceSettings();

// Keys missing from the file keep their defaults; unknown keys are errors
// (a misspelt key must not silently do nothing). The error names the file,
// the line and what is wrong.
Result<ServiceSettings> parseServiceSettings(std::string_view tomlText);
Result<ServiceSettings> loadServiceSettings(const std::filesystem::path& file);

}  // namespace lanzhou::server
