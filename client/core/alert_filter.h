#pragma once

#include <string>
#include <string_view>

#include "client/core/alert_row.h"

namespace lanzhou::core {

// The search of the alert lists: a row matches when its code, name, operation
// or remark holds the search text, ASCII letters compared without regard to
// case. Texts are GBK and compared by whole characters, so a trail byte that
// looks like an ASCII letter never starts or ends a match. An empty search
// matches every row.
class AlertFilter final {
public:
    AlertFilter() = default;
    explicit AlertFilter(std::string_view gbkText);
    // The search as the member typed it (UTF-8). A character GBK cannot hold
    // is in no row, so such a search matches nothing (it is not searched for
    // as the "?" the conversion puts in its place).
    static AlertFilter fromUtf8(std::string_view utf8);

    bool empty() const { return m_folded.empty() && !m_matchesNothing; }
    bool matches(const AlertRow& row) const;

    friend bool operator==(const AlertFilter&, const AlertFilter&) = default;

private:
    std::string m_folded;  // the search text, ASCII letters in lower case
    bool m_matchesNothing = false;
};

// True when `foldedNeedle` (ASCII letters in lower case) occurs in `text`
// from a character boundary on, ASCII letters of `text` folded; an empty
// needle occurs everywhere.
bool containsIgnoringLatinCase(std::string_view text, std::string_view foldedNeedle);

}  // namespace lanzhou::core
