#pragma once

#include <string>
#include <string_view>

namespace lanzhou::core {

// Why alerts were listed without a popup each, to be told in one summary.
enum class SummaryReason {
    Reconnect,  // they arrived while the connection was being retried
    Quiet,      // they arrived during quiet hours
};

// "reconnect" or "quiet", as lanzhou-cli names it.
std::string_view summaryReasonName(SummaryReason reason);

// The summary popup's text, GBK: "断线期间收到 N 条新预警" or
// "免打扰期间收到 N 条新预警".
std::string summaryText(SummaryReason reason, int newAlerts);

}  // namespace lanzhou::core
