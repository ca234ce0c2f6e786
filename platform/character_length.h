#pragma once

#include <cstddef>
#include <string_view>

namespace lanzhou::platform {

// True when no byte of `text` is 0x80 or above.
bool isAscii(std::string_view text);

// Length of the well-formed UTF-8 sequence at the start of `text` (not
// empty), or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(std::string_view text);

// Length of the GBK character at the start of `text` (not empty): 1 for
// ASCII, 2 for a lead byte with a byte of the trail range; 0 for anything
// else (a stray byte, a lead byte without its trail).
std::size_t gbkCharacterLength(std::string_view text);

}  // namespace lanzhou::platform
