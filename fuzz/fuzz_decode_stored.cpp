// Decodes arbitrary text as a stored value, and round-trips arbitrary bytes
// through the cipher.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/core/stored_text_cipher.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string decoded = lanzhou::core::decodeStored(input);
    check(decoded.size() <= (input.size() + 1) / 2);
    check(decoded.find('\0') == std::string::npos);
    // What decodes reads back the same after encoding.
    check(lanzhou::core::decodeStored(lanzhou::core::encodeStored(decoded)) == decoded);

    // The bytes before the first zero survive a round trip.
    const std::string_view plain = input.substr(0, input.find('\0'));
    const std::string hex = lanzhou::core::encodeStored(plain);
    check(hex.size() == plain.size() * 2);
    check(lanzhou::core::decodeStored(hex) == plain);
    return 0;
}
