#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace lanzhou::test {

// `size` bytes that zlib cannot pack smaller, the same for the same seed.
inline std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

}  // namespace lanzhou::test
