#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/session_core.h"

namespace lanzhou::cli {

// What the command line asks for.
struct CliArguments {
    bool help = false;
    std::optional<core::Endpoint> server;     // --server HOST:PORT
    std::optional<std::string> runDirectory;  // --run-dir DIR, as given (native text)
};

struct ArgumentParse {
    std::optional<CliArguments> arguments;  // set when the command line is usable
    std::string error;                      // why not, for standard error
};

// Reads the arguments after the program name. Options may be written as
// "--server HOST:PORT" or "--server=HOST:PORT"; each may be given once.
ArgumentParse parseArguments(const std::vector<std::string_view>& arguments);

// The --help text (UTF-8).
std::string_view usageText();

}  // namespace lanzhou::cli
