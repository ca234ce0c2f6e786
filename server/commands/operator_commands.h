#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string_view>

namespace lanzhou::server {

// The operator's commands on a database, usable while the server runs (it
// passes changes on to connected clients within a second) and while it is
// stopped:
//   account add|set|list, card add|list, alert publish|update|remove|list,
//   notice publish|update|remove, kick ACCOUNT
// `args` start at the group word, e.g. {"account", "add", "--db", "x.db",
// "--name", "a", ...}. Values are UTF-8 (stored as GBK); output is UTF-8.
// `databasePasswordFile`: the PostgreSQL password's file, as the settings'
// [database] password_file names it (empty: libpq finds the password).
// Exit code: 0 done, 1 wrong usage (nothing changed), 2 failed.
[[nodiscard]] int runOperatorCommand(std::span<const std::string_view> args, std::ostream& out,
                                     std::ostream& err,
                                     const std::filesystem::path& databasePasswordFile = {});

// True when `word` is the group word of an operator command.
bool isOperatorCommand(std::string_view word);

// One paragraph per group, for the program's usage text.
extern const std::string_view kOperatorCommandsHelp;

}  // namespace lanzhou::server
