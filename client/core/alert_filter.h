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

    bool empty() const { return m_folded.empty(); }
    bool matches(const AlertRow& row) const;

    friend bool operator==(const AlertFilter&, const AlertFilter&) = default;

private:
    std::string m_folded;  // the search text, ASCII letters in lower case
};

// True when `foldedNeedle` (ASCII letters in lower case) occurs in `text`
// from a character boundary on, ASCII letters of `text` folded; an empty
// needle occurs everywhere.
bool containsIgnoringLatinCase(std::string_view text, std::string_view foldedNeedle);

}  // namespace lanzhou::core
