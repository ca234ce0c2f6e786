#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "base/result.h"
#include "client/core/alert_export.h"
#include "client/core/form_checks.h"

namespace lanzhou::cli {

// The commands of standard input, their texts already in GBK.
struct LoginCommand {
    core::LoginFields fields;
    std::optional<bool> remember;  // absent: leave the remember box as it is
};
struct RegisterCommand {
    core::RegistrationFields fields;
};
struct RechargeCommand {
    core::RechargeFields fields;
};
struct ChangePasswordCommand {
    core::ChangePasswordFields fields;
};
struct RetrievePasswordCommand {
    core::RetrievePasswordFields fields;
};
struct ListsCommand {};
// "导出": "list" is "today", "history" or "both"; "filter" is optional.
struct ExportCommand {
    core::ExportedLists lists = core::ExportedLists::Both;
    std::string path;    // UTF-8, as given
    std::string filter;  // UTF-8, as given
};
struct QuitCommand {};

using Command = std::variant<LoginCommand, RegisterCommand, RechargeCommand, ChangePasswordCommand,
                             RetrievePasswordCommand, ListsCommand, ExportCommand, QuitCommand>;

// One line of standard input (UTF-8 JSON object). Text fields must be
// strings, "remember" a boolean; fields the command does not know are
// ignored. The error (UTF-8) says what is wrong with the line.
Result<Command> parseCommand(std::string_view line);

}  // namespace lanzhou::cli
