#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::platform {

// The entry that starts the client with the member's desktop session.
inline constexpr std::string_view kAutostartName = "lanzhou";

// Starting a program with the desktop session, with "--minimized". Each entry
// is named (the client's is kAutostartName; tests use their own): on Windows
// a value of that name under the current user's
// Software\Microsoft\Windows\CurrentVersion\Run; elsewhere the desktop entry
// <name>.desktop in the XDG autostart folder, $XDG_CONFIG_HOME/autostart,
// else $HOME/.config/autostart (only an absolute folder named by the
// environment counts).

// The command line an entry for `program` starts: on Windows the program in
// double quotes, elsewhere an Exec value of a desktop entry (the program
// quoted and escaped as desktop entries want it); then " --minimized".
std::string autostartCommand(const std::filesystem::path& program);

// Writes the entry (replacing one of the same name). False when it could not
// be written.
bool registerAutostart(std::string_view name, const std::filesystem::path& program);
// Removes the entry. True when none is left, also when there was none.
bool unregisterAutostart(std::string_view name);
bool isAutostartRegistered(std::string_view name);
// The command line the entry holds, as written; nullopt without an entry.
std::optional<std::string> registeredAutostartCommand(std::string_view name);

}  // namespace lanzhou::platform
