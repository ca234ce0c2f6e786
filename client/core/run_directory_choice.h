#pragma once

#include <optional>
#include <string>

namespace lanzhou::core {

struct RunDirectoryChoice {
    std::optional<std::string> directory;  // GBK path text, no trailing separator
    std::string error;                     // why not (UTF-8), when there is none
};

// The run directory of a client: --run-dir as given (it must exist; made
// absolute), else the directory of the executable.
RunDirectoryChoice chooseRunDirectory(const std::optional<std::string>& given);

}  // namespace lanzhou::core
