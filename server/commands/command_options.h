#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::server {

// The words of an operator command after its group and action: "--key value"
// pairs, "--help", and plain words. Every key but --help takes the next word
// as its value, whatever it looks like, so values may start with "--".
class CommandOptions final {
public:
    // Nothing, with a message, when a key has no value.
    [[nodiscard]] static std::optional<CommandOptions> parse(
        std::span<const std::string_view> words, std::string& error);

    bool help() const { return m_help; }
    // The value of a key given once; nothing when it was not given.
    std::optional<std::string_view> value(std::string_view key) const;
    // Every value of a key, in order.
    std::vector<std::string_view> values(std::string_view key) const;
    const std::vector<std::string_view>& words() const { return m_words; }

    // Empty when every key is one of `known` and only those of `repeatable`
    // occur more than once; else a message naming the first offender.
    std::string check(std::initializer_list<std::string_view> known,
                      std::initializer_list<std::string_view> repeatable = {}) const;

private:
    struct Pair {
        std::string_view key;
        std::string_view value;
    };
    std::vector<Pair> m_pairs;
    std::vector<std::string_view> m_words;
    bool m_help = false;
};

}  // namespace lanzhou::server
