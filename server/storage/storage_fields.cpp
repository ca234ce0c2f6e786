#include "server/storage/storage_fields.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/gbk.h"
#include "protocol/date_time.h"

namespace lanzhou::server {
namespace {

constexpr std::string_view kFieldSeparator = "|";
constexpr std::string_view kRecordSeparator = "☆";
constexpr std::string_view kRecordFieldSeparator = "々";

constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;
// Beyond this an expiry could not be written as a four-digit year.
constexpr protocol::DateTime kLatestExpiry{9999, 12, 31, 23, 59, 59};

struct KindName {
    OperatorEvent::Kind kind;
    std::string_view name;
};
constexpr KindName kKindNames[] = {
    {OperatorEvent::Kind::AlertPublished, "alert-published"},
    {OperatorEvent::Kind::AlertUpdated, "alert-updated"},
    {OperatorEvent::Kind::AlertsRemoved, "alerts-removed"},
    {OperatorEvent::Kind::NoticePublished, "notice-published"},
    {OperatorEvent::Kind::NoticeUpdated, "notice-updated"},
    {OperatorEvent::Kind::NoticesRemoved, "notices-removed"},
    {OperatorEvent::Kind::Kick, "kick"},
    {OperatorEvent::Kind::LoggedIn, "login"},
};

// A small number written as digits only, within [low, high].
std::optional<std::int64_t> smallNumber(std::string_view text, std::int64_t low,
                                        std::int64_t high) {
    const auto value = parseRowId(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

// The UTF-8 form of a field that may go into a message.
std::optional<std::string> fieldText(std::string_view gbk) {
    auto utf8 = exactUtf8(gbk);
    if (!utf8 || hasSeparator(*utf8, true)) {
        return std::nullopt;
    }
    return utf8;
}

std::optional<std::string> normalisedTime(std::string_view text) {
    const protocol::DateTime time = protocol::parseDateTime(text);
    if (time == protocol::DateTime::null()) {
        return std::nullopt;
    }
    return protocol::formatDateTime(time);
}

}  // namespace

std::optional<std::string> exactUtf8(std::string_view gbk) {
    std::string utf8 = platform::utf8FromGbk(gbk);
    if (platform::gbkFromUtf8(utf8) != gbk) {
        return std::nullopt;
    }
    return utf8;
}

bool hasSeparator(std::string_view utf8, bool recordSeparators) {
    // In UTF-8 no character's bytes occur inside another's, so a plain search
    // finds characters only.
    if (utf8.find(kFieldSeparator) != std::string_view::npos) {
        return true;
    }
    return recordSeparators && (utf8.find(kRecordSeparator) != std::string_view::npos ||
                                utf8.find(kRecordFieldSeparator) != std::string_view::npos);
}

std::optional<std::int64_t> parseRowId(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<AlertRow> alertRow(const protocol::AlertRecord& alert) {
    AlertRow row;
    const auto time = normalisedTime(alert.time);
    const auto audience = smallNumber(alert.audience, 0, 1);
    if (!time || !audience) {
        return std::nullopt;
    }
    row.time = *time;
    row.audience = *audience;
    row.popup = alert.popup == "1" ? 1 : 0;
    const std::array<std::pair<const std::string*, std::string*>, 6> texts{{
        {&alert.code, &row.code},
        {&alert.name, &row.name},
        {&alert.operation, &row.operation},
        {&alert.buy, &row.buy},
        {&alert.sell, &row.sell},
        {&alert.remark, &row.remark},
    }};
    for (const auto& [from, to] : texts) {
        auto utf8 = fieldText(*from);
        if (!utf8) {
            return std::nullopt;
        }
        *to = std::move(*utf8);
    }
    return row;
}

std::optional<NoticeRow> noticeRow(const protocol::NoticeRecord& notice) {
    NoticeRow row;
    const auto time = normalisedTime(notice.time);
    const auto stars = smallNumber(notice.stars, 1, 5);
    const auto channel = channelNumber(notice.channel);
    auto title = fieldText(notice.title);
    auto body = fieldText(notice.body);
    if (!time || !stars || !channel || !title || !body) {
        return std::nullopt;
    }
    row.time = *time;
    row.title = std::move(*title);
    row.body = std::move(*body);
    row.stars = *stars;
    row.channel = *channel;
    row.popup = notice.popup == "1" ? 1 : 0;
    return row;
}

std::optional<std::int64_t> channelNumber(std::string_view text) {
    return smallNumber(text, 0, 5);
}

std::optional<AccountRow> accountRow(const AccountRecord& account) {
    if (account.name.empty() || account.password.empty() ||
        (account.userType != 0 && account.userType != 1)) {
        return std::nullopt;
    }
    AccountRow row;
    const std::pair<const std::string*, std::string*> texts[] = {
        {&account.name, &row.name},   {&account.password, &row.password}, {&account.qq, &row.qq},
        {&account.phone, &row.phone}, {&account.adapter, &row.adapter},
    };
    for (const auto& [from, to] : texts) {
        auto utf8 = exactUtf8(*from);
        if (!utf8 || hasSeparator(*utf8, false)) {
            return std::nullopt;
        }
        *to = std::move(*utf8);
    }
    row.expiry = protocol::formatDateTime(account.expiry);
    return row;
}

protocol::DateTime extendedExpiry(const protocol::DateTime& expiry, const protocol::DateTime& now,
                                  std::int64_t days) {
    const protocol::DateTime from = std::max(expiry, now);
    if (days >= (kLatestExpiry.totalSeconds() - from.totalSeconds()) / kSecondsPerDay) {
        return kLatestExpiry;
    }
    return from.plusSeconds(days * kSecondsPerDay);
}

std::string_view eventKindName(OperatorEvent::Kind kind) {
    for (const auto& entry : kKindNames) {
        if (entry.kind == kind) {
            return entry.name;
        }
    }
    return {};
}

std::optional<OperatorEvent::Kind> eventKindOf(std::string_view name) {
    for (const auto& entry : kKindNames) {
        if (entry.name == name) {
            return entry.kind;
        }
    }
    return std::nullopt;
}

std::optional<std::string> joinSubjects(const std::vector<std::string>& subjects) {
    std::string joined;
    for (const auto& subject : subjects) {
        const auto utf8 = exactUtf8(subject);
        if (!utf8 || hasSeparator(*utf8, false)) {
            return std::nullopt;
        }
        if (!joined.empty()) {
            joined += '|';
        }
        joined += *utf8;
    }
    return joined;
}

std::vector<std::string> splitSubjects(std::string_view joined) {
    std::vector<std::string> subjects;
    while (!joined.empty()) {
        const auto bar = joined.find('|');
        subjects.push_back(platform::gbkFromUtf8(joined.substr(0, bar)));
        if (bar == std::string_view::npos) {
            break;
        }
        joined.remove_prefix(bar + 1);
    }
    return subjects;
}

}  // namespace lanzhou::server
