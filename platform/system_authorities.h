#pragma once

#include <string>
#include <vector>

namespace lanzhou::platform {

// The certificates of the authorities this computer's owner trusts, each in
// DER form, for a TLS library that does not find them by itself: on Windows
// the certificate store "ROOT" (OpenSSL looks only in its own folder there).
// Empty elsewhere, where OpenSSL's default paths are the system's own store.
std::vector<std::string> systemAuthorityCertificates();

}  // namespace lanzhou::platform
