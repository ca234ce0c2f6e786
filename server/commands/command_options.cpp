#include "server/commands/command_options.h"

#include <algorithm>

namespace lanzhou::server {

std::optional<CommandOptions> CommandOptions::parse(std::span<const std::string_view> words,
                                                    std::string& error) {
    CommandOptions options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word == "--help" || word == "-h") {
            options.m_help = true;
        } else if (word.size() > 2 && word.starts_with("--")) {
            if (i + 1 == words.size()) {
                error = std::string(word) + " needs a value";
                return std::nullopt;
            }
            options.m_pairs.push_back({word, words[++i]});
        } else {
            options.m_words.push_back(word);
        }
    }
    return options;
}

std::optional<std::string_view> CommandOptions::value(std::string_view key) const {
    for (const Pair& pair : m_pairs) {
        if (pair.key == key) {
            return pair.value;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> CommandOptions::values(std::string_view key) const {
    std::vector<std::string_view> found;
    for (const Pair& pair : m_pairs) {
        if (pair.key == key) {
            found.push_back(pair.value);
        }
    }
    return found;
}

std::string CommandOptions::check(std::initializer_list<std::string_view> known,
                                  std::initializer_list<std::string_view> repeatable) const {
    for (std::size_t i = 0; i < m_pairs.size(); ++i) {
        const std::string_view key = m_pairs[i].key;
        if (std::find(known.begin(), known.end(), key) == known.end()) {
            return "unknown option " + std::string(key);
        }
        const bool repeated =
            std::any_of(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(i),
                        [key](const Pair& earlier) { return earlier.key == key; });
        if (repeated && std::find(repeatable.begin(), repeatable.end(), key) == repeatable.end()) {
            return std::string(key) + " given more than once";
        }
    }
    return {};
}

}  // namespace lanzhou::server
