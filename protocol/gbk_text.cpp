#include "protocol/gbk_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lanzhou::protocol {

namespace {

// Length of the character starting at `i`: a lead byte (0x80 or above) takes
// the byte after it along, except at the very end of the text.
std::size_t characterLength(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Non-zero when one of the eight bytes of `word` is zero (and possibly for a
// 0x01 byte above a zero one: a hint, never a miss).
constexpr std::uint64_t zeroByteHint(std::uint64_t word) {
    return (word - 0x0101010101010101u) & ~word & kHighBits;
}

// Calls onPiece for every piece of the text in order (the rule of
// splitPieces) and returns nothing else.
template <typename OnPiece>
void forEachPiece(std::string_view text, std::string_view separator, OnPiece&& onPiece) {
    if (text.empty()) {
        return;
    }
    if (separator.empty()) {
        onPiece(text);
        return;
    }
    std::size_t start = 0;
    std::size_t i = 0;  // always at a character boundary
    if (separator.size() == 1 && static_cast<unsigned char>(separator[0]) < 0x80) {
        // A one-byte ASCII separator: runs of eight bytes holding neither a
        // lead byte nor the separator are passed over as a whole.
        const char mark = separator[0];
        const std::uint64_t marks = 0x0101010101010101u * static_cast<unsigned char>(mark);
        while (i < text.size()) {
            if (text.size() - i >= 8) {
                std::uint64_t word;
                std::memcpy(&word, text.data() + i, sizeof word);
                if (((word & kHighBits) | zeroByteHint(word ^ marks)) == 0) {
                    i += 8;
                    continue;
                }
            }
            if (text[i] == mark) {
                onPiece(text.substr(start, i - start));
                start = i + 1;
            }
            i += characterLength(text, i);
        }
    } else {
        while (i < text.size()) {
            const std::size_t length = characterLength(text, i);
            if (length == separator.size() && text.substr(i, length) == separator) {
                onPiece(text.substr(start, i - start));
                start = i + length;
            }
            i += length;
        }
    }
    if (start < text.size()) {
        onPiece(text.substr(start));
    }
}

char foldLatin(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<std::string_view> splitPieces(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    forEachPiece(text, separator, [&pieces](std::string_view piece) { pieces.push_back(piece); });
    return pieces;
}

std::size_t splitPiecesInto(std::string_view text, std::string_view separator,
                            std::span<std::string_view> pieces) {
    std::size_t count = 0;
    forEachPiece(text, separator, [&](std::string_view piece) {
        if (count < pieces.size()) {
            pieces[count] = piece;
        }
        ++count;
    });
    return count;
}

bool containsCharacter(std::string_view text, std::string_view ch) {
    if (ch.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = characterLength(text, i);
        if (length == ch.size() && text.substr(i, length) == ch) {
            return true;
        }
        i += length;
    }
    return false;
}

std::string_view untilZero(std::string_view bytes) {
    const std::size_t zero = bytes.find('\0');
    return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

bool equalsIgnoringLatinCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t length = characterLength(a, i);
        if (length == 2) {
            // A lead byte in `a` is never equal to a folded ASCII byte in `b`,
            // so comparing both bytes exactly keeps the texts in step.
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
        } else if (foldLatin(a[i]) != foldLatin(b[i])) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string foldLatinCase(std::string_view text) {
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t length = characterLength(folded, i);
        if (length == 1) {
            folded[i] = foldLatin(folded[i]);
        }
        i += length;
    }
    return folded;
}

}  // namespace lanzhou::protocol
