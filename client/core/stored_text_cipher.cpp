#include "client/core/stored_text_cipher.h"

namespace lanzhou::core {
namespace {

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
    std::string hex(plain.size() * 2, '\0');
    encipherStored(plain, key, hex.data());
    return hex;
}

std::string decodeStored(std::string_view hex, std::string_view key) {
    StoredTextKeystream stream(key);
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
