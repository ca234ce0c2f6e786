#include "protocol/gbk_text.h"

#include <bit>
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

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Fu;

// 0x80 in each byte of the result where `word` has a zero byte, 0 elsewhere.
constexpr std::uint64_t zeroBytes(std::uint64_t word) {
    return ~(((word & kLowBits) + kLowBits) | word | kLowBits);
}
static_assert(zeroBytes(0x1100FF0001020300u) == 0x0080008000000080u);

// How many bytes of 0x80 or above stand right before text[at]; eight bytes at
// a time.
std::size_t highBytesBefore(std::string_view text, std::size_t at) {
    std::size_t count = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (at - count >= 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at - count - 8, sizeof word);
            // From the top byte (the one nearest `at`) down: a high byte
            // becomes eight one bits, any other stops the count.
            const int high = std::countl_one(word | kLowBits) / 8;
            count += static_cast<std::size_t>(high);
            if (high < 8) {
                return count;
            }
        }
    }
    while (count < at && static_cast<unsigned char>(text[at - count - 1]) >= 0x80) {
        ++count;
    }
    return count;
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
    std::size_t i = 0;
    if (separator.size() == 1 && static_cast<unsigned char>(separator[0]) < 0x80) {
        // A one-byte ASCII separator. Where a byte below 0x80 stands, the
        // next character starts right after it (it is a character or the
        // trail of one), so a separator byte is a character of its own when
        // the lead bytes (0x80 and above) right before it are even in number;
        // otherwise it is the trail of the last of them. The separator bytes
        // are found eight at a time, independently of each other.
        const char mark = separator[0];
        const auto candidate = [&](std::size_t at) {
            // Mostly an ASCII byte stands before it: no need to count.
            if (at == 0 || static_cast<unsigned char>(text[at - 1]) < 0x80 ||
                highBytesBefore(text, at) % 2 == 0) {
                onPiece(text.substr(start, at - start));
                start = at + 1;
            }
        };
        if constexpr (std::endian::native == std::endian::little) {
            const std::uint64_t marks = kOnes * static_cast<unsigned char>(mark);
            for (; text.size() - i >= 8; i += 8) {
                std::uint64_t word;
                std::memcpy(&word, text.data() + i, sizeof word);
                for (std::uint64_t found = zeroBytes(word ^ marks); found != 0;
                     found &= found - 1) {
                    candidate(i + static_cast<std::size_t>(std::countr_zero(found)) / 8);
                }
            }
        }
        for (; i < text.size(); ++i) {
            if (text[i] == mark) {
                candidate(i);
            }
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
