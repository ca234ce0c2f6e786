#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::protocol {

// GBK-aware text helpers. A byte of 0x80 or above is a lead byte and forms one
// character with the byte after it, so a separator byte inside a double-byte
// character never matches.

// Field and record separators of the message catalogue (GBK bytes).
inline constexpr std::string_view kFieldSeparator = "|";
inline constexpr std::string_view kRecordSeparator = "\xA1\xEE";       // ☆
inline constexpr std::string_view kRecordFieldSeparator = "\xA1\xA9";  // 々

// Splits at every occurrence of `separator` (one character of one or two
// bytes) found at a character boundary. Empty pieces between separators and
// an empty first piece are kept; the rest after the last separator becomes a
// piece only when it is not empty. An empty text gives no pieces.
std::vector<std::string_view> splitPieces(std::string_view text, std::string_view separator);

// Splits by the same rule without allocating: stores the first pieces.size()
// pieces in `pieces` and returns how many pieces the text has in all.
std::size_t splitPiecesInto(std::string_view text, std::string_view separator,
                            std::span<std::string_view> pieces);

// True when the one- or two-byte character `ch` occurs at a character
// boundary of `text`.
bool containsCharacter(std::string_view text, std::string_view ch);

// The text up to its first zero byte.
std::string_view untilZero(std::string_view bytes);

// Compares two texts with ASCII letters folded to lower case; the bytes of
// double-byte characters are compared exactly.
bool equalsIgnoringLatinCase(std::string_view a, std::string_view b);

// The text with ASCII letters outside double-byte characters folded to lower
// case (a key for equalsIgnoringLatinCase).
std::string foldLatinCase(std::string_view text);

}  // namespace lanzhou::protocol
