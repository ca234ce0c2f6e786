#include "server/commands/option_values.h"

#include <charconv>

#include "platform/gbk.h"

namespace lanzhou::server {
namespace {

bool hasCharacter(std::string_view utf8, std::string_view character) {
    // UTF-8 never has one character's bytes inside another's.
    return utf8.find(character) != std::string_view::npos;
}

}  // namespace

void OptionValues::fail(std::string message) {
    if (m_error.empty()) {
        m_error = std::move(message);
    }
}

bool OptionValues::require(std::string_view key) {
    if (m_options.value(key)) {
        return true;
    }
    fail(std::string(key) + " is required");
    return false;
}

std::optional<std::string> OptionValues::text(std::string_view key, Field field, bool nonEmpty) {
    const auto value = m_options.value(key);
    if (!value) {
        return std::nullopt;
    }
    const std::string name(key);
    if (nonEmpty && value->empty()) {
        fail(name + " must not be empty");
        return std::nullopt;
    }
    if (hasCharacter(*value, "|")) {
        fail(name + " must not contain \"|\": it separates the fields of messages");
        return std::nullopt;
    }
    if (field == Field::Content && (hasCharacter(*value, "☆") || hasCharacter(*value, "々"))) {
        fail(name + " must not contain \"☆\" or \"々\": they separate the records of messages");
        return std::nullopt;
    }
    std::string gbk = platform::gbkFromUtf8(*value);
    if (platform::utf8FromGbk(gbk) != *value) {
        fail(name + " holds characters that GBK cannot represent (or is not UTF-8)");
        return std::nullopt;
    }
    return gbk;
}

std::optional<std::int64_t> OptionValues::number(std::string_view key, std::int64_t low,
                                                 std::int64_t high) {
    const auto value = m_options.value(key);
    if (!value) {
        return std::nullopt;
    }
    return checkedNumber(key, *value, low, high);
}

std::vector<std::int64_t> OptionValues::numbers(std::string_view key, std::int64_t low,
                                                std::int64_t high) {
    std::vector<std::int64_t> found;
    for (const std::string_view value : m_options.values(key)) {
        if (const auto number = checkedNumber(key, value, low, high)) {
            found.push_back(*number);
        }
    }
    return found;
}

std::optional<std::int64_t> OptionValues::checkedNumber(std::string_view key,
                                                        std::string_view value, std::int64_t low,
                                                        std::int64_t high) {
    std::int64_t parsed = 0;
    const char* end = value.data() + value.size();
    const auto [rest, code] = std::from_chars(value.data(), end, parsed);
    if (value.empty() || code != std::errc() || rest != end || parsed < low || parsed > high) {
        fail(std::string(key) + " must be a whole number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", not \"" + std::string(value) + "\"");
        return std::nullopt;
    }
    return parsed;
}

std::optional<protocol::DateTime> OptionValues::dateTime(std::string_view key) {
    const auto value = m_options.value(key);
    if (!value) {
        return std::nullopt;
    }
    const protocol::DateTime parsed = protocol::parseDateTime(*value);
    if (parsed == protocol::DateTime::null()) {
        fail(std::string(key) + " must be a date-time \"YYYY-MM-DD HH:MM:SS\", not \"" +
             std::string(*value) + "\"");
        return std::nullopt;
    }
    return parsed;
}

}  // namespace lanzhou::server
