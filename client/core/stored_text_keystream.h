#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace lanzhou::core {

// The keystream of the stored-text cipher, set up afresh from the key for
// every text. Not RC4: the key schedule carries "+1" between steps, and the
// keystream index steps by two. Usable by the compiler (constexpr), so that
// texts built into the program are enciphered while compiling.
class StoredTextKeystream final {
public:
    constexpr explicit StoredTextKeystream(std::string_view key) {
        for (std::size_t n = 0; n < 256; ++n) {
            m_s[n] = static_cast<std::uint8_t>(n);
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

    constexpr std::uint8_t next() {
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

}  // namespace lanzhou::core
