#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "server/service/service_settings.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

// The TCP side of lanzhou-server: accepts members, speaks the chunked framing
// (protocol/frame_codec.h), hands each request to the Service and writes its
// answers, and passes on what operator commands recorded in the database.
//
// One I/O thread runs every connection and the Service. Each connection has
// bounded input (a request above settings.maxRequestBytes, a malformed chunk
// or frame closes it), a bounded send queue (settings.maxQueuedBytes; beyond
// it the member is disconnected) and an idle limit of three heartbeat
// periods. Nothing a client sends affects the other connections.
//
// Beside or instead of the plain listener, a TLS listener takes members who
// speak the same protocol inside TLS, on the same thread. Their handshake is
// asynchronous like everything else and bounded by Options::handshakeLimit;
// a connection in its handshake counts like any other (idle limit, stop).
//
// Operator events are read from the database's log by sequence number, when
// a thread of their own that waits on the storage's event signal says so (or
// on a timer when the storage has no signal).
class NetworkServer final {
public:
    struct Options {
        // How often the database is asked for new operator events when it
        // cannot signal them.
        std::chrono::milliseconds operatorPoll{50};
        // When it can (Storage::eventSignal), how often it is asked all the
        // same, in case a signal was lost.
        std::chrono::milliseconds safetyPoll{1000};
        // How long a TLS connection may take to finish its handshake.
        std::chrono::milliseconds handshakeLimit{10000};
    };

    NetworkServer(const ServiceSettings& settings, Storage& storage);
    NetworkServer(const ServiceSettings& settings, Storage& storage, Options options);
    ~NetworkServer();

    NetworkServer(const NetworkServer&) = delete;
    NetworkServer& operator=(const NetworkServer&) = delete;

    // Binds "HOST:PORT" (port 0: any free port). False with a message.
    [[nodiscard]] bool listen(const std::string& endpoint, std::string& error);
    // Loads the certificate chain and key (see ServerTls) and binds their
    // listener. False with a message.
    [[nodiscard]] bool listenTls(const TlsSettings& tls, std::string& error);
    // The bound ports; 0 for a listener not open.
    int port() const;
    int tlsPort() const;

    // Serves until stop(); then closes every connection.
    void run();
    // Any thread, also a signal-handling thread.
    void stop();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::server
