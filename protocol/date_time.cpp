#include "protocol/date_time.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace lanzhou::protocol {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (the era-based
// civil-calendar conversion; valid for any year an int holds).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
    std::int64_t year;
    int month;
    int day;
};

CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    const std::int64_t quotient = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// A cursor over the text that reads the small pieces of a date-time.
class Reader final {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_position == m_text.size(); }

    // Reads 1 to `maxDigits` decimal digits.
    bool number(std::size_t maxDigits, int& value) {
        std::size_t count = 0;
        value = 0;
        while (!atEnd() && count < maxDigits && isDigit(m_text[m_position])) {
            value = value * 10 + (m_text[m_position] - '0');
            ++m_position;
            ++count;
        }
        return count > 0 && (atEnd() || !isDigit(m_text[m_position]));
    }

    bool literal(char c) {
        if (!atEnd() && m_text[m_position] == c) {
            ++m_position;
            return true;
        }
        return false;
    }

    // Reads one of the date separators and reports which.
    bool dateSeparator(char& which) {
        if (!atEnd() && (m_text[m_position] == '-' || m_text[m_position] == '/')) {
            which = m_text[m_position++];
            return true;
        }
        return false;
    }

    std::size_t skipBlanks() {
        const std::size_t start = m_position;
        while (!atEnd() && isBlank(m_text[m_position])) {
            ++m_position;
        }
        return m_position - start;
    }

    static bool isBlank(char c) { return c == ' ' || c == '\t'; }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view m_text;
    std::size_t m_position = 0;
};

}  // namespace

std::int64_t DateTime::dayNumber() const {
    return daysFromCivil(year, month, day);
}

std::int64_t DateTime::totalSeconds() const {
    return dayNumber() * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

DateTime DateTime::fromTotalSeconds(std::int64_t seconds) {
    const std::int64_t days = floorDivide(seconds, 86400);
    const std::int64_t rest = seconds - days * 86400;
    const CivilDate date = civilFromDays(days);
    DateTime result;
    result.year = static_cast<int>(date.year);
    result.month = date.month;
    result.day = date.day;
    result.hour = static_cast<int>(rest / 3600);
    result.minute = static_cast<int>(rest % 3600 / 60);
    result.second = static_cast<int>(rest % 60);
    return result;
}

DateTime DateTime::plusSeconds(std::int64_t seconds) const {
    return fromTotalSeconds(totalSeconds() + seconds);
}

namespace {

// Reads "YYYY-MM-DD HH:MM:SS" exactly, the form the service sends; false for
// any other text (the general reader then has its say).
bool readCommonForm(std::string_view text, DateTime& value) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return false;
    }
    bool digits = true;
    const auto number = [text, &digits](std::size_t at, std::size_t count) {
        int result = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            const auto digit = static_cast<unsigned>(text[i] - '0');
            digits = digits && digit <= 9;
            result = result * 10 + static_cast<int>(digit);
        }
        return result;
    };
    value.year = number(0, 4);
    value.month = number(5, 2);
    value.day = number(8, 2);
    value.hour = number(11, 2);
    value.minute = number(14, 2);
    value.second = number(17, 2);
    return digits;
}

bool isValid(const DateTime& value) {
    return value.year >= 1 && value.year <= 9999 && value.month >= 1 && value.month <= 12 &&
           value.day >= 1 && value.day <= daysInMonth(value.year, value.month) &&
           value.hour <= 23 && value.minute <= 59 && value.second <= 59;
}

}  // namespace

DateTime parseDateTime(std::string_view text) {
    if (DateTime common; readCommonForm(text, common)) {
        return isValid(common) ? common : DateTime::null();
    }
    DateTime value;
    Reader reader(text);
    reader.skipBlanks();
    char firstSeparator = 0;
    char secondSeparator = 0;
    if (!reader.number(4, value.year) || !reader.dateSeparator(firstSeparator) ||
        !reader.number(2, value.month) || !reader.dateSeparator(secondSeparator) ||
        firstSeparator != secondSeparator || !reader.number(2, value.day)) {
        return DateTime::null();
    }
    const bool blanksAfterDate = reader.skipBlanks() > 0;
    if (!reader.atEnd()) {
        if (!blanksAfterDate || !reader.number(2, value.hour) || !reader.literal(':') ||
            !reader.number(2, value.minute)) {
            return DateTime::null();
        }
        if (reader.literal(':') && !reader.number(2, value.second)) {
            return DateTime::null();
        }
        reader.skipBlanks();
        if (!reader.atEnd()) {
            return DateTime::null();
        }
    }
    return isValid(value) ? value : DateTime::null();
}

std::string formatDateTime(const DateTime& value) {
    DateTimeText text;
    return std::string(formatDateTime(value, text));
}

std::string_view formatDateTime(const DateTime& value, DateTimeText& out) {
    const auto twoDigits = [](int part) { return part >= 0 && part <= 99; };
    if (value.year >= 0 && value.year <= 9999 && twoDigits(value.month) && twoDigits(value.day) &&
        twoDigits(value.hour) && twoDigits(value.minute) && twoDigits(value.second)) {
        // Every time shown in the lists goes through here: by hand, without
        // printf.
        std::size_t length = 0;
        const int year = value.year;
        const auto digit = [](int number) { return static_cast<char>('0' + number % 10); };
        if (year >= 1000) {
            out[length++] = digit(year / 1000);
        }
        if (year >= 100) {
            out[length++] = digit(year / 100);
        }
        if (year >= 10) {
            out[length++] = digit(year / 10);
        }
        out[length++] = digit(year);
        const auto put = [&](char separator, int part) {
            out[length++] = separator;
            out[length++] = static_cast<char>('0' + part / 10);
            out[length++] = static_cast<char>('0' + part % 10);
        };
        put('-', value.month);
        put('-', value.day);
        put(' ', value.hour);
        put(':', value.minute);
        put(':', value.second);
        return std::string_view(out.data(), length);
    }
    const int length =
        std::snprintf(out.data(), out.size(), "%d-%02d-%02d %02d:%02d:%02d", value.year,
                      value.month, value.day, value.hour, value.minute, value.second);
    return std::string_view(
        out.data(), std::min(static_cast<std::size_t>(std::max(length, 0)), out.size() - 1));
}

}  // namespace lanzhou::protocol
