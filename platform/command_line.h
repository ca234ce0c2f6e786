#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::platform {

// A Windows command line (UTF-8 text) that hands `words` (program first) to a
// program that splits its command line with the C runtime's rules: words
// with blanks or quotes are quoted, backslashes before a quote are doubled.
// Words without blanks stay as they are, so a plain line such as
// "C:\run\update.exe 28 http://host/u.zip lanzhou.exe" is kept exactly.
// nullopt when a word holds a zero byte or a line break, which no command
// line can carry.
std::optional<std::string> windowsCommandLine(const std::vector<std::string>& words);

// This program's arguments as UTF-8 words, `argv` without the program name.
// On Windows they are taken from the wide command line, because `argv` there
// holds them in the system's ANSI code page, which cannot hold every
// character.
std::vector<std::string> utf8Arguments(int argc, char** argv);

}  // namespace lanzhou::platform
