#include "client/core/run_directory_choice.h"

#include <filesystem>
#include <system_error>

#include "client/core/seed_version_rule.h"
#include "platform/paths.h"
#include "platform/run_directory.h"

namespace lanzhou::core {

Result<RunDirectoryChoice> chooseRunDirectory(const std::optional<std::string>& given) {
    std::filesystem::path directory;
    if (given) {
        // The arguments are UTF-8 text (the command line is read as such on
        // every platform).
        directory = std::filesystem::path(std::u8string(given->begin(), given->end()));
        std::error_code error;
        if (!std::filesystem::is_directory(directory, error)) {
            return fail("not a directory: " + *given);
        }
        directory = std::filesystem::absolute(directory, error);
        if (error) {
            return fail(error.message());
        }
    } else {
        directory = platform::runDirectory(seedReplacesMembersFile);
    }
    RunDirectoryChoice choice;
    std::error_code error;
    choice.programFolder =
        std::filesystem::equivalent(directory, platform::executableDirectory(), error);
    std::string text = platform::gbkFromPath(directory.lexically_normal());
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) {
        text.pop_back();
    }
    choice.directory = std::move(text);
    return choice;
}

}  // namespace lanzhou::core
