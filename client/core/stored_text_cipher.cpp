#include "client/core/stored_text_cipher.h"

#include <array>
#include <cstdint>
#include <utility>

namespace lanzhou::core {
namespace {

// The cipher state: set up afresh from the key for every text.
class Keystream final {
  public:
    explicit Keystream(std::string_view key) {
        for (int n = 0; n < 256; ++n) {
            m_s[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n);
        }
        if (key.empty()) {
            return;  // an empty key leaves the identity permutation
        }
        unsigned q = 0;
        for (std::size_t n = 0; n < 256; ++n) {
            const unsigned k = static_cast<unsigned char>(key[n % key.size()]);
            const unsigned p = (q + m_s[n] + k) % 256;
            std::swap(m_s[n], m_s[p]);
            q = p + 1;
        }
    }

    std::uint8_t next() {
        const std::size_t x = (2 * m_i + 1) % 256;
        const std::size_t y = (m_r + m_s[x]) % 256;
        std::swap(m_s[x], m_s[y]);
        m_r = y + 1;
        ++m_i;
        return m_s[(m_s[x] + m_s[y]) % 256];
    }

  private:
    std::array<std::uint8_t, 256> m_s{};
    std::size_t m_i = 0;
    std::size_t m_r = 0;
};

// Any character that is not a hexadecimal digit counts as 0.
unsigned hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return 0;
}

}  // namespace

std::string encodeStored(std::string_view plain, std::string_view key) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    Keystream stream(key);
    std::string hex;
    hex.reserve(plain.size() * 2);
    for (const char c : plain) {
        const unsigned byte = static_cast<unsigned char>(c) ^ stream.next();
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 15]);
    }
    return hex;
}

std::string decodeStored(std::string_view hex, std::string_view key) {
    Keystream stream(key);
    std::string plain;
    plain.reserve(hex.size() / 2 + 1);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = hexValue(hex[i]);
        if (i + 1 < hex.size()) {
            value = value * 16 + hexValue(hex[i + 1]);
        }
        const auto byte = static_cast<char>(value ^ stream.next());
        if (byte == '\0') {
            break;
        }
        plain.push_back(byte);
    }
    return plain;
}

}  // namespace lanzhou::core
