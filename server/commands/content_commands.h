#pragma once

#include <string_view>

#include "server/commands/operator_command_support.h"

namespace lanzhou::server {

// lanzhou-server alert publish|update|remove|list and notice
// publish|update|remove. Changes reach the connected members through the
// events the storage records with them.
[[nodiscard]] int runAlertCommand(const CommandContext& context);
[[nodiscard]] int runNoticeCommand(const CommandContext& context);

extern const std::string_view kAlertHelp;
extern const std::string_view kNoticeHelp;

}  // namespace lanzhou::server
