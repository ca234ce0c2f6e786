#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/date_time.h"
#include "server/commands/command_options.h"

namespace lanzhou::server {

// Typed, checked reading of an operator command's options. Each reader gives
// nothing when the option is absent or wrong; the first wrong one is kept as
// the error, so a command reads all it needs and then asks failed().
class OptionValues final {
public:
    // Which separators a text may not contain: "|" in every field, and in
    // alert and notice fields also the record separators "☆" and "々".
    enum class Field { Account, Content };

    explicit OptionValues(const CommandOptions& options) : m_options(options) {}

    // The GBK form of a UTF-8 option value. Wrong: a separator, a character
    // GBK cannot hold, or (with `nonEmpty`) an empty text.
    std::optional<std::string> text(std::string_view key, Field field, bool nonEmpty = false);
    // A decimal number in [low, high].
    std::optional<std::int64_t> number(std::string_view key, std::int64_t low, std::int64_t high);
    // Every value of a repeatable key, each a decimal number in [low, high].
    std::vector<std::int64_t> numbers(std::string_view key, std::int64_t low, std::int64_t high);
    // "YYYY-MM-DD HH:MM:SS" (or the looser forms of the same order).
    std::optional<protocol::DateTime> dateTime(std::string_view key);

    // Marks a missing required option as the error; true when present.
    bool require(std::string_view key);

    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }

private:
    void fail(std::string message);
    std::optional<std::int64_t> checkedNumber(std::string_view key, std::string_view value,
                                              std::int64_t low, std::int64_t high);

    const CommandOptions& m_options;
    std::string m_error;
};

}  // namespace lanzhou::server
