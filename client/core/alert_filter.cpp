#include "client/core/alert_filter.h"

#include <algorithm>

#include "platform/gbk.h"
#include "protocol/gbk_text.h"

namespace lanzhou::core {

namespace {

bool isLead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

char foldLatin(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `needle` stands at the start of `text`, which starts at a character
// boundary. Both texts are read in step: a lead byte matches only the same
// lead byte, so the two stay at the same character boundaries, and a
// double-byte character is compared exactly.
bool startsWithFolded(std::string_view text, std::string_view needle) {
    if (text.size() < needle.size()) {
        return false;
    }
    for (std::size_t i = 0; i < needle.size();) {
        if (isLead(needle[i])) {
            if (text[i] != needle[i]) {
                return false;
            }
            if (i + 1 < needle.size()) {
                if (text[i + 1] != needle[i + 1]) {
                    return false;
                }
                i += 2;
                continue;
            }
            // The needle ends in a lead byte without its trail: it matches
            // only a lead byte that ends the text too, never half a character.
            return i + 1 == text.size();
        }
        if (foldLatin(text[i]) != needle[i]) {
            return false;
        }
        ++i;
    }
    return true;
}

}  // namespace

bool containsIgnoringLatinCase(std::string_view text, std::string_view foldedNeedle) {
    if (foldedNeedle.empty()) {
        return true;
    }
    if (text.size() < foldedNeedle.size()) {
        return false;
    }
    const char first = foldedNeedle.front();
    const std::size_t last = text.size() - foldedNeedle.size();
    for (std::size_t i = 0; i <= last;) {
        const char c = text[i];
        if (isLead(c)) {
            if (c == first && startsWithFolded(text.substr(i), foldedNeedle)) {
                return true;
            }
            i += 2;  // a lead byte takes the byte after it along
        } else {
            if (foldLatin(c) == first && startsWithFolded(text.substr(i), foldedNeedle)) {
                return true;
            }
            ++i;
        }
    }
    return false;
}

AlertFilter::AlertFilter(std::string_view gbkText) : m_folded(protocol::foldLatinCase(gbkText)) {}

AlertFilter AlertFilter::fromUtf8(std::string_view utf8) {
    const std::string gbkText = platform::gbkFromUtf8(utf8);
    AlertFilter filter(gbkText);
    // The conversion writes "?" for what GBK cannot hold.
    filter.m_matchesNothing =
        std::count(gbkText.begin(), gbkText.end(), '?') > std::count(utf8.begin(), utf8.end(), '?');
    return filter;
}

bool AlertFilter::matches(const AlertRow& row) const {
    if (m_matchesNothing) {
        return false;
    }
    return containsIgnoringLatinCase(row.code, m_folded) ||
           containsIgnoringLatinCase(row.name, m_folded) ||
           containsIgnoringLatinCase(row.operation, m_folded) ||
           containsIgnoringLatinCase(row.remark, m_folded);
}

}  // namespace lanzhou::core
