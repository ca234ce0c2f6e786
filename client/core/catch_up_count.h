#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "protocol/message_catalogue.h"

namespace lanzhou::core {

class AlertListModel;

// Counts the alerts a list answer brings that the member has not seen: the
// ids in the lists when the connection dropped, and those of alerts that
// arrived live since, are known; every other id of the answer is new. Ids
// compare as the lists compare them (ASCII letters in any case).
class CatchUpCount final {
public:
    // Forgets what was known and takes the ids of both lists.
    void rememberLists(const AlertListModel& alerts);
    // An alert shown on its own since then.
    void seen(std::string_view id);
    // The distinct ids of `answer` not known.
    [[nodiscard]] int countNew(std::span<const protocol::AlertRecord> answer) const;

private:
    std::unordered_set<std::string> m_known;  // folded ids
};

}  // namespace lanzhou::core
