#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace lanzhou::test {

// A throwaway certificate authority and the server certificates the TLS
// tests need, made in memory with OpenSSL and written as PEM files into a
// fresh temporary folder that is removed with the object. Keys are P-256.
//
// Every certificate names "localhost" and 127.0.0.1 unless said otherwise.
class TestPki final {
public:
    struct Pair {
        std::filesystem::path certificate;  // the leaf, then the authority (a chain)
        std::filesystem::path key;          // PKCS#8, mode 0600
    };

    // Nothing, with what went wrong in `error`, when a step fails.
    static std::unique_ptr<TestPki> make(std::string& error);
    // One set for the whole test program, made at the first call and removed
    // at exit; throws std::runtime_error when it cannot be made.
    static const TestPki& forProgram();
    ~TestPki();
    TestPki(const TestPki&) = delete;
    TestPki& operator=(const TestPki&) = delete;

    // The authority's certificate, for --ca-file.
    const std::filesystem::path& authority() const { return m_authority; }
    // Valid now, signed by the authority.
    const Pair& good() const { return m_good; }
    // Valid and signed by the authority, but for "other.invalid" only.
    const Pair& wrongHost() const { return m_wrongHost; }
    // Signed by the authority, expired a day ago.
    const Pair& expired() const { return m_expired; }
    // Valid, for the right names, signed by an authority nobody trusts.
    const Pair& unknownAuthority() const { return m_unknownAuthority; }

    const std::filesystem::path& folder() const { return m_folder; }

private:
    TestPki() = default;

    std::filesystem::path m_folder;
    std::filesystem::path m_authority;
    Pair m_good;
    Pair m_wrongHost;
    Pair m_expired;
    Pair m_unknownAuthority;
};

}  // namespace lanzhou::test
