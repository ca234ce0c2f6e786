#pragma once

#include <optional>
#include <string>

#include "base/result.h"

namespace lanzhou::core {

struct RunDirectoryChoice {
    std::string directory;  // GBK path text, no trailing separator
    // The directory is the program's own folder (a portable copy), where an
    // update can replace the program; not so for an installed package's
    // per-user folder or another folder given with --run-dir.
    bool programFolder = false;
};

// The run directory of a client: --run-dir as given (UTF-8; it must exist; made
// absolute), else the platform's choice (the executable's directory for a
// portable copy, a per-user folder seeded from the package for an installed
// one, its ver.txt by seedReplacesMembersFile). The error (UTF-8) says why
// there is none.
Result<RunDirectoryChoice> chooseRunDirectory(const std::optional<std::string>& given);

}  // namespace lanzhou::core
