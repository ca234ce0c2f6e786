#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::updater {

// Splits a command line the updater's way (GBK text, walked character by
// character): words are separated by any run of characters with codes up to
// 32; a word that starts with a double quote runs to the next double quote
// (the quotes are not part of it; an unclosed quote runs to the end); there
// is no escape character. The first word is the program's own path.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// What the client hands the updater.
struct UpdateArguments {
    std::string newVersion;      // written to ver.txt exactly
    std::string source;          // trimmed of ASCII and full-width (GBK A1A1) blanks
    std::string clientFileName;  // the client's executable file name, no directory
};

// The three arguments after the program's path (`words` without it); any
// further words are ignored. nullopt when fewer than three are given, or
// when the third is not a plain file name (empty, "." or "..", or holding
// "/", "\" or ":"): blanks in the update argument shift the words, and the
// updater must never start a program outside its own folder. The updater
// then ends without showing anything.
std::optional<UpdateArguments> parseUpdateArguments(const std::vector<std::string>& words);

// Removes leading and trailing ASCII spaces and full-width spaces (GBK A1A1),
// respecting character boundaries.
std::string trimBlanks(std::string_view gbkText);

}  // namespace lanzhou::updater
