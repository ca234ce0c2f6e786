#include "protocol/gbk_text.h"

#include <cstddef>

namespace lanzhou::protocol {

namespace {

// Length of the character starting at `i`: a lead byte (0x80 or above) takes
// the byte after it along, except at the very end of the text.
std::size_t characterLength(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
}

char foldLatin(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<std::string_view> splitPieces(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = characterLength(text, i);
        if (length == separator.size() && text.substr(i, length) == separator) {
            pieces.push_back(text.substr(start, i - start));
            start = i + length;
        }
        i += length;
    }
    if (start < text.size()) {
        pieces.push_back(text.substr(start));
    }
    return pieces;
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
