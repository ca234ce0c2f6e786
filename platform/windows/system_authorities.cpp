#include "platform/system_authorities.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <wincrypt.h>
// clang-format on

namespace lanzhou::platform {

std::vector<std::string> systemAuthorityCertificates() {
    std::vector<std::string> certificates;
    HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
    if (store == nullptr) {
        return certificates;
    }
    PCCERT_CONTEXT certificate = nullptr;
    while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
        if (certificate->dwCertEncodingType == X509_ASN_ENCODING) {
            certificates.emplace_back(reinterpret_cast<const char*>(certificate->pbCertEncoded),
                                      certificate->cbCertEncoded);
        }
    }
    CertCloseStore(store, 0);
    return certificates;
}

}  // namespace lanzhou::platform
