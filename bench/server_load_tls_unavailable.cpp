#include "server_load_tls.h"

std::unique_ptr<TlsLinks> TlsLinks::make(const std::string&, std::string& error) {
    error = "built without TLS (OpenSSL)";
    return nullptr;
}
