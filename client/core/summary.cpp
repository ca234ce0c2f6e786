#include "client/core/summary.h"

#include "client/core/texts.h"

namespace lanzhou::core {

std::string_view summaryReasonName(SummaryReason reason) {
    return reason == SummaryReason::Reconnect ? "reconnect" : "quiet";
}

std::string summaryText(SummaryReason reason, int newAlerts) {
    const std::string_view before = reason == SummaryReason::Reconnect
                                        ? text::kReconnectSummaryBefore
                                        : text::kQuietSummaryBefore;
    return gbk(before) + std::to_string(newAlerts) + gbk(text::kSummaryAfter);
}

}  // namespace lanzhou::core
