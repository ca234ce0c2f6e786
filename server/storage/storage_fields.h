#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

// Checks and conversions at the edge of the storage (both databases): GBK
// texts of the interface to the UTF-8 texts of the database and back.

// The UTF-8 form of a GBK text, when converting it back gives the same bytes;
// nothing for bytes that are not GBK (they could not be stored faithfully).
std::optional<std::string> exactUtf8(std::string_view gbk);

// True when a UTF-8 text holds "|", or with `recordSeparators` also "☆" or
// "々": characters that would break the message layouts.
bool hasSeparator(std::string_view utf8, bool recordSeparators);

// A row id written as decimal digits only (no sign, no blanks, at most 18
// digits); nothing otherwise.
std::optional<std::int64_t> parseRowId(std::string_view text);

// An alert as its row holds it: UTF-8 texts, the time normalised to
// "YYYY-MM-DD HH:MM:SS", audience 0 or 1, popup 0 or 1.
struct AlertRow {
    std::string time, code, name, operation, buy, sell, remark;
    std::int64_t audience = 0;
    std::int64_t popup = 0;
};
// Nothing when a field is not exact GBK or holds a separator, the time is not
// a date-time, or the audience is not 0 or 1. The popup is the flag "1".
std::optional<AlertRow> alertRow(const protocol::AlertRecord& alert);

struct NoticeRow {
    std::string time, title, body;
    std::int64_t stars = 1;
    std::int64_t channel = 0;
    std::int64_t popup = 0;
};
// Nothing when a field is not exact GBK or holds a separator, the time is not
// a date-time, stars are not 1 to 5 or the channel not 0 to 5.
std::optional<NoticeRow> noticeRow(const protocol::NoticeRecord& notice);

// "0" to "5" read as a channel number.
std::optional<std::int64_t> channelNumber(std::string_view text);

// The account texts as the database keeps them (UTF-8).
struct AccountRow {
    std::string name, password, qq, phone, adapter, expiry;
};
// Nothing when the name or password is empty, the user type is not 0 or 1,
// or a text is not exact GBK or holds "|".
std::optional<AccountRow> accountRow(const AccountRecord& account);

// The expiry after a card of `days` is used at `now`: from the later of the
// two, at most the last second of year 9999.
protocol::DateTime extendedExpiry(const protocol::DateTime& expiry, const protocol::DateTime& now,
                                  std::int64_t days);

// Operator events as the events table keeps them: the kind as a word, the
// subjects (ids, or one account name) joined by "|" in UTF-8.
std::string_view eventKindName(OperatorEvent::Kind kind);
std::optional<OperatorEvent::Kind> eventKindOf(std::string_view name);
// Nothing when a subject is not exact GBK or holds "|".
std::optional<std::string> joinSubjects(const std::vector<std::string>& subjects);
std::vector<std::string> splitSubjects(std::string_view joined);

}  // namespace lanzhou::server
