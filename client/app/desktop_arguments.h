#pragma once

#include <string_view>
#include <vector>

#include "base/result.h"
#include "client/core/session_arguments.h"

namespace lanzhou::app {

// The desktop client's command line: the options both clients take, and
// --minimized (the start the desktop's autostart entry asks for: with
// remembered credentials the client logs in by itself and starts in the
// notification area).
struct DesktopArguments {
    core::SessionArguments session;
    bool minimized = false;
};

// Reads the arguments after the program name; --minimized may stand anywhere
// an option may, once. The error says why the command line is not usable.
Result<DesktopArguments> parseDesktopArguments(const std::vector<std::string_view>& arguments);

}  // namespace lanzhou::app
