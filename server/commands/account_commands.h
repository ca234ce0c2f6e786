#pragma once

#include <string_view>

#include "server/commands/operator_command_support.h"

namespace lanzhou::server {

// lanzhou-server account add|set|list and card add|list.
[[nodiscard]] int runAccountCommand(const CommandContext& context);
[[nodiscard]] int runCardCommand(const CommandContext& context);

extern const std::string_view kAccountHelp;
extern const std::string_view kCardHelp;

}  // namespace lanzhou::server
