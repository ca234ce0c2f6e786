#include "platform/command_line.h"

#include <cstddef>

namespace lanzhou::platform {

namespace {

bool needsQuotes(std::string_view word) {
    return word.empty() || word.find_first_of(" \t\v\"") != std::string_view::npos;
}

void appendQuoted(std::string& line, std::string_view word) {
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');  // before the closing quote
    line += '"';
}

}  // namespace

std::optional<std::string> windowsCommandLine(const std::vector<std::string>& words) {
    std::string line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) {
            return std::nullopt;
        }
        if (i > 0) {
            line += ' ';
        }
        if (needsQuotes(word)) {
            appendQuoted(line, word);
        } else {
            line += word;
        }
    }
    return line;
}

}  // namespace lanzhou::platform
