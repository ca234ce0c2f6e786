#pragma once

// The TLS side of server_load: each member's stream over its socket, the
// handshake, reads and writes, on the load's one reactor. A build without
// OpenSSL makes nothing (server_load_tls_unavailable.cpp).

#include <asio.hpp>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TlsLinks {
public:
    // Members that trust the authority in `caFile` and check the name
    // 127.0.0.1; nothing, with a message, when that cannot be set up.
    static std::unique_ptr<TlsLinks> make(const std::string& caFile, std::string& error);
    virtual ~TlsLinks() = default;

    // Takes a connected socket as the next link (numbered 0, 1, ... in
    // turn) and starts its handshake; `done` is told whether it succeeded.
    virtual void add(asio::ip::tcp::socket socket, std::function<void(bool)> done) = 0;
    // Reads from link `index` until it fails, handing on what it decrypts.
    virtual void read(std::size_t index, std::function<void(std::string_view)> received) = 0;
    // Writes to link `index`, after whatever it is writing still.
    virtual void send(std::size_t index, std::string bytes) = 0;
};
