#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "client/core/session_core.h"

namespace lanzhou::core {

// The options both clients take on their command line.
struct SessionArguments {
    bool help = false;
    std::optional<Endpoint> server;            // --server [tls://]HOST:PORT
    std::optional<std::string> runDirectory;   // --run-dir DIR, as given (native text)
    std::optional<std::string> authorityFile;  // --ca-file FILE, a usable PEM bundle
};

// Reads the arguments after the program name. Options may be written as
// "--server HOST:PORT" or "--server=HOST:PORT"; each may be given once. The
// --ca-file bundle is read here: a file that is missing, unreadable or holds
// no certificate makes the command line unusable. The error says why the
// command line is not usable, for standard error.
Result<SessionArguments> parseSessionArguments(const std::vector<std::string_view>& arguments);

}  // namespace lanzhou::core
