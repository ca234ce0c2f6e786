#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/session_arguments.h"

namespace lanzhou::cli {

// The command line is the one both clients share.
using CliArguments = core::SessionArguments;
using ArgumentParse = Result<core::SessionArguments>;

inline ArgumentParse parseArguments(const std::vector<std::string_view>& arguments) {
    return core::parseSessionArguments(arguments);
}

// The --help text (UTF-8).
std::string_view usageText();

}  // namespace lanzhou::cli
