#pragma once

#include <string_view>

#include "server/commands/operator_command_support.h"

namespace lanzhou::server {

// lanzhou-server account add|set|list and card add|list.
int runAccountCommand(const CommandContext& context);
int runCardCommand(const CommandContext& context);

extern const std::string_view kAccountHelp;
extern const std::string_view kCardHelp;

}  // namespace lanzhou::server
