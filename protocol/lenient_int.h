#pragma once

#include <cstdint>
#include <string_view>

namespace lanzhou::protocol {

// Integer fields are read leniently: leading blanks, an optional sign and the
// leading decimal digits; anything after them is ignored, no digits give 0.
// Values beyond the 32-bit range are clamped to it.
std::int32_t lenientInt(std::string_view text);

// Version numbers (ver.txt and the server's version) are read the same way
// after full-width characters (GBK A3xx digits and signs, A1A1 blank) have
// been narrowed to their ASCII forms.
std::int32_t versionNumber(std::string_view text);

}  // namespace lanzhou::protocol
