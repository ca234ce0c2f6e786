#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace lanzhou::server {

// An operator command as it runs once its settings file is read: the words
// without `--config FILE` and, unless `--db` is among them, with
// `--db LOCATION` of the file's [database] location; the file's password
// file beside them.
struct OperatorInvocation {
    std::vector<std::string> words;
    std::filesystem::path databasePasswordFile;
};

// `args` start at the group word. Words without --config come back as they
// are. An error (to be told as a usage error) when the file cannot be read or
// is wrong, or names no database while --db is not given either.
Result<OperatorInvocation> applyOperatorSettings(std::span<const std::string_view> args);

}  // namespace lanzhou::server
