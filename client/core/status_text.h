#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "client/core/line_choice.h"
#include "client/core/user_type.h"

namespace lanzhou::core {

// The login window's status text naming the line in use (GBK).
std::string lineStatusText(LineChoice line);

// The main window's status text: account and user type, and the expiry for
// paying members (GBK).
std::string mainStatusText(std::string_view account, UserType userType, std::string_view expiry);

}  // namespace lanzhou::core
