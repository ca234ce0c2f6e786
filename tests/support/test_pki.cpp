#include "tests/support/test_pki.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace lanzhou::test {
namespace {

namespace fs = std::filesystem;

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;
using Bio = std::unique_ptr<BIO, BioFree>;

constexpr long kDay = 24 * 60 * 60;

Key newKey() {
    return Key(EVP_EC_gen("P-256"));
}

bool addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

struct Validity {
    long fromSeconds;  // relative to now
    long toSeconds;
};

// A certificate for `subjectKey`, signed by `issuerKey` under `issuer` (or
// self-signed when issuer is null). `names` is a subjectAltName value;
// empty makes an authority.
Certificate issue(EVP_PKEY* subjectKey, std::string_view commonName, X509* issuer,
                  EVP_PKEY* issuerKey, const char* names, Validity validity) {
    static std::mt19937_64 serials{std::random_device{}()};
    Certificate certificate(X509_new());
    if (!certificate) {
        return {};
    }
    X509* c = certificate.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set_int64(X509_get_serialNumber(c), static_cast<std::int64_t>(serials() >> 2));
    X509_gmtime_adj(X509_getm_notBefore(c), validity.fromSeconds);
    X509_gmtime_adj(X509_getm_notAfter(c), validity.toSeconds);
    X509_set_pubkey(c, subjectKey);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.data()),
                               static_cast<int>(commonName.size()), -1, 0);
    X509_set_issuer_name(c, issuer != nullptr ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer != nullptr ? issuer : c;
    const bool authority = names == nullptr;
    const bool extended =
        authority ? addExtension(c, signer, NID_basic_constraints, "critical,CA:TRUE") &&
                        addExtension(c, signer, NID_key_usage, "critical,keyCertSign,cRLSign") &&
                        addExtension(c, signer, NID_subject_key_identifier, "hash")
                  : addExtension(c, signer, NID_basic_constraints, "critical,CA:FALSE") &&
                        addExtension(c, signer, NID_key_usage, "critical,digitalSignature") &&
                        addExtension(c, signer, NID_ext_key_usage, "serverAuth") &&
                        addExtension(c, signer, NID_subject_alt_name, names) &&
                        addExtension(c, signer, NID_authority_key_identifier, "keyid");
    if (!extended || X509_sign(c, issuer != nullptr ? issuerKey : subjectKey, EVP_sha256()) == 0) {
        return {};
    }
    return certificate;
}

bool writePem(const fs::path& path, std::initializer_list<X509*> certificates, EVP_PKEY* key) {
    Bio bio(BIO_new(BIO_s_mem()));
    bool ok = static_cast<bool>(bio);
    for (X509* certificate : certificates) {
        ok = ok && PEM_write_bio_X509(bio.get(), certificate) == 1;
    }
    if (key != nullptr) {
        ok = ok &&
             PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    }
    if (!ok) {
        return false;
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, size);
    out.close();
    if (!out) {
        return false;
    }
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, ignored);
    return true;
}

}  // namespace

std::unique_ptr<TestPki> TestPki::make(std::string& error) {
    std::unique_ptr<TestPki> pki(new TestPki);
    std::string pattern = (fs::temp_directory_path() / "lanzhou-pki-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder";
        return nullptr;
    }
    pki->m_folder = pattern;

    const Key authorityKey = newKey();
    const Key strangerKey = newKey();
    const Key serverKey = newKey();
    if (!authorityKey || !strangerKey || !serverKey) {
        error = "cannot make a key";
        return nullptr;
    }
    const Validity year{-kDay, 365 * kDay};
    const char* rightNames = "DNS:localhost,IP:127.0.0.1";
    const Certificate authority =
        issue(authorityKey.get(), "lanzhou test authority", nullptr, nullptr, nullptr, year);
    const Certificate stranger =
        issue(strangerKey.get(), "lanzhou stranger authority", nullptr, nullptr, nullptr, year);
    if (!authority || !stranger) {
        error = "cannot make an authority";
        return nullptr;
    }
    const Certificate good =
        issue(serverKey.get(), "localhost", authority.get(), authorityKey.get(), rightNames, year);
    const Certificate wrongHost = issue(serverKey.get(), "other.invalid", authority.get(),
                                        authorityKey.get(), "DNS:other.invalid", year);
    const Certificate expired = issue(serverKey.get(), "localhost", authority.get(),
                                      authorityKey.get(), rightNames, {-30 * kDay, -kDay});
    const Certificate unknown =
        issue(serverKey.get(), "localhost", stranger.get(), strangerKey.get(), rightNames, year);
    if (!good || !wrongHost || !expired || !unknown) {
        error = "cannot issue a certificate";
        return nullptr;
    }

    const fs::path& folder = pki->m_folder;
    pki->m_authority = folder / "authority.pem";
    const fs::path key = folder / "server.key";
    pki->m_good = {folder / "good.pem", key};
    pki->m_wrongHost = {folder / "wrong-host.pem", key};
    pki->m_expired = {folder / "expired.pem", key};
    pki->m_unknownAuthority = {folder / "unknown-authority.pem", key};
    const bool written =
        writePem(pki->m_authority, {authority.get()}, nullptr) &&
        writePem(key, {}, serverKey.get()) &&
        writePem(pki->m_good.certificate, {good.get(), authority.get()}, nullptr) &&
        writePem(pki->m_wrongHost.certificate, {wrongHost.get(), authority.get()}, nullptr) &&
        writePem(pki->m_expired.certificate, {expired.get(), authority.get()}, nullptr) &&
        writePem(pki->m_unknownAuthority.certificate, {unknown.get(), stranger.get()}, nullptr);
    if (!written) {
        error = "cannot write the certificates into " + folder.string();
        return nullptr;
    }
    return pki;
}

const TestPki& TestPki::forProgram() {
    static const std::unique_ptr<TestPki> made = [] {
        std::string error;
        auto pki = make(error);
        if (!pki) {
            throw std::runtime_error("no test certificates: " + error);
        }
        return pki;
    }();
    return *made;
}

TestPki::~TestPki() {
    if (!m_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
}

}  // namespace lanzhou::test
