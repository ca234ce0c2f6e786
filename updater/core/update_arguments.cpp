#include "updater/core/update_arguments.h"

#include <cstddef>

namespace lanzhou::updater {

namespace {

bool isLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

// Bytes of the character starting at `at`: two for a lead byte followed by
// any byte (its trail byte is never a separator or a quote), else one.
std::size_t characterLength(std::string_view text, std::size_t at) {
    return isLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

bool isSeparator(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

constexpr std::string_view kFullWidthBlank = "\xA1\xA1";

// Length of the blank (ASCII or full-width) at `at`, 0 when there is none.
std::size_t blankLength(std::string_view text, std::size_t at) {
    if (text[at] == ' ') {
        return 1;
    }
    return text.substr(at, 2) == kFullWidthBlank ? 2 : 0;
}

// A client file name must name a file beside the updater, whatever the
// server put into the update argument (its blanks can shift the words).
bool plainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < commandLine.size()) {
        if (isSeparator(commandLine[at])) {
            ++at;
            continue;
        }
        std::string word;
        if (commandLine[at] == '"') {
            ++at;
            while (at < commandLine.size() && commandLine[at] != '"') {
                const std::size_t length = characterLength(commandLine, at);
                word.append(commandLine.substr(at, length));
                at += length;
            }
            ++at;  // the closing quote (or the end)
        } else {
            while (at < commandLine.size() && !isSeparator(commandLine[at])) {
                const std::size_t length = characterLength(commandLine, at);
                word.append(commandLine.substr(at, length));
                at += length;
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<UpdateArguments> parseUpdateArguments(const std::vector<std::string>& words) {
    if (words.size() < 3 || !plainFileName(words[2])) {
        return std::nullopt;
    }
    return UpdateArguments{words[0], trimBlanks(words[1]), words[2]};
}

std::string trimBlanks(std::string_view gbkText) {
    std::size_t begin = 0;
    while (begin < gbkText.size()) {
        const std::size_t blank = blankLength(gbkText, begin);
        if (blank == 0) {
            break;
        }
        begin += blank;
    }
    std::size_t end = begin;
    for (std::size_t at = begin; at < gbkText.size();) {
        const std::size_t length = characterLength(gbkText, at);
        if (blankLength(gbkText, at) == 0) {
            end = at + length;
        }
        at += length;
    }
    return std::string(gbkText.substr(begin, end - begin));
}

}  // namespace lanzhou::updater
