#pragma once

#include <memory>
#include <string>

#include "base/result.h"

namespace lanzhou::transport {

// The settings every TLS connection of one side shares: protocol versions
// (TLS 1.2 or newer) and, for a client, the authorities it trusts; for a
// server, its certificate chain and key. Made once and shared by the
// connections (reconnections included). Opaque here so that a build without
// TLS compiles everything but the TLS files themselves.
class TlsContext {
public:
    virtual ~TlsContext() = default;

protected:
    TlsContext() = default;
};

// True when this build speaks TLS at all.
bool tlsBuiltIn();

// A client's context. `authorityFile` empty: the system's trusted
// authorities; otherwise only the certificates of that PEM bundle. The error
// says why the file cannot be used.
Result<std::shared_ptr<TlsContext>> makeClientTlsContext(const std::string& authorityFile);

// A server's context from a PEM certificate chain (leaf first) and its key.
Result<std::shared_ptr<TlsContext>> makeServerTlsContext(const std::string& certificateFile,
                                                         const std::string& keyFile);

}  // namespace lanzhou::transport
