#pragma once

#include <string>
#include <string_view>

namespace lanzhou::core {

// The keyed stream cipher of remembered credentials and of the built-in
// server lines, with an upper-case hexadecimal text form. Not RC4: the key
// schedule carries "+1" between steps, and the keystream index steps by two.
// Stored values can only be read back with exactly these rules.

// The key's characters are the key bytes (the text is not read as hex).
inline constexpr std::string_view kStoredTextKey = "C4E17A09B35D82F6A1";

// GBK bytes in, two upper-case hex digits per byte out.
std::string encodeStored(std::string_view plain, std::string_view key = kStoredTextKey);

// Pairs of hex digits (either case; a last odd digit alone) in, text out up
// to the first zero byte. Characters that are not hex digits count as 0.
std::string decodeStored(std::string_view hex, std::string_view key = kStoredTextKey);

}  // namespace lanzhou::core
