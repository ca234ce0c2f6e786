#pragma once

#include <string_view>

namespace lanzhou::core {

// The eight texts (GBK) of one row of an alert list, by name; the time is
// already normalised. The views point into where the row is kept (an
// AlertList keeps the texts of all its rows in one block) and stay valid
// until that changes.
struct AlertRow {
    std::string_view id{};
    std::string_view time{};
    std::string_view code{};
    std::string_view name{};
    std::string_view operation{};
    std::string_view buy{};
    std::string_view sell{};
    std::string_view remark{};

    friend bool operator==(const AlertRow&, const AlertRow&) = default;
};

}  // namespace lanzhou::core
