#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "protocol/date_time.h"
#include "server/commands/command_options.h"
#include "server/commands/option_values.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

// What the operator commands share: exit codes, the database, the clock.

inline constexpr int kCommandOk = 0;
inline constexpr int kCommandUsage = 1;
inline constexpr int kCommandFailed = 2;

// Everything a command group needs to run one action.
struct CommandContext {
    std::string_view group;   // "account", "alert", ...
    std::string_view action;  // "add", "publish", ...
    const CommandOptions& options;
    std::ostream& out;
    std::ostream& err;
    const std::filesystem::path& databasePasswordFile;  // empty: libpq finds the password
};

// Writes "lanzhou-server GROUP ACTION: message" (and, for usage errors, a
// pointer to --help) and returns the exit code.
int reportUsage(const CommandContext& context, std::string_view message);
int reportFailure(const CommandContext& context, std::string_view message);

// How a command on the database runs: `problem` (what
// CommandOptions::check found wrong, empty when nothing) is told as a usage
// error; `read` takes the option values (false: the first wrong one is told
// as a usage error); then the database of --db is opened and `act` works on
// it. The exit code of the first step that failed, else that of `act`.
[[nodiscard]] int runOnDatabase(const CommandContext& context, std::string_view problem,
                                const std::function<bool(OptionValues&)>& read,
                                const std::function<int(Storage&)>& act);
// The same for a command that reads no option values.
[[nodiscard]] int runOnDatabase(const CommandContext& context, std::string_view problem,
                                const std::function<int(Storage&)>& act);

// The database named by --db (an SQLite file or a PostgreSQL URI, checked to
// be there before any group runs), opened and created when missing; nothing,
// after a message on err, when it cannot be (exit with kCommandFailed).
std::unique_ptr<Storage> openCommandStorage(const CommandContext& context);

// The local time of this computer, to the second.
protocol::DateTime localNow();

// A GBK text of the storage as the UTF-8 the terminal shows.
std::string shown(std::string_view gbk);

}  // namespace lanzhou::server
