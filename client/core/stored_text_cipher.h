#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "client/core/stored_text_keystream.h"

namespace lanzhou::core {

// The keyed stream cipher of remembered credentials and of the built-in
// server lines (StoredTextKeystream), with an upper-case hexadecimal text
// form. Stored values can only be read back with exactly these rules.

// The key's characters are the key bytes (the text is not read as hex).
inline constexpr std::string_view kStoredTextKey = "C4E17A09B35D82F6A1";

// Writes the stored form of `plain` (GBK bytes), two upper-case hex digits
// per byte, to the 2 * plain.size() characters at `hex`.
constexpr void encipherStored(std::string_view plain, std::string_view key, char* hex) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    StoredTextKeystream stream(key);
    for (const char c : plain) {
        const unsigned byte = static_cast<unsigned char>(c) ^ stream.next();
        *hex++ = kDigits[byte >> 4];
        *hex++ = kDigits[byte & 15];
    }
}

// GBK bytes in, two upper-case hex digits per byte out.
std::string encodeStored(std::string_view plain, std::string_view key = kStoredTextKey);

// Pairs of hex digits (either case; a last odd digit alone) in, text out up
// to the first zero byte. Characters that are not hex digits count as 0.
std::string decodeStored(std::string_view hex, std::string_view key = kStoredTextKey);

// A text enciphered by the compiler, N hex digits: the program holds this
// form only, never the plain text it was made from.
template <std::size_t N>
struct StoredConstant {
    std::array<char, N> hex{};
    constexpr std::string_view view() const { return {hex.data(), hex.size()}; }
};

// The stored form of a string literal with the fixed key, computed while
// compiling: inline constexpr auto kHost = storedConstant("host.example");
template <std::size_t N>
consteval StoredConstant<2 * (N - 1)> storedConstant(const char (&plain)[N]) {
    StoredConstant<2 * (N - 1)> constant;
    encipherStored(std::string_view(plain, N - 1), kStoredTextKey, constant.hex.data());
    return constant;
}

}  // namespace lanzhou::core
