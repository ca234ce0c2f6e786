#include "client/core/run_directory_choice.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace lanzhou::core {

RunDirectoryChoice chooseRunDirectory(const std::optional<std::string>& given) {
    RunDirectoryChoice choice;
    std::filesystem::path directory;
    if (given) {
        directory = std::filesystem::path(*given);
        std::error_code error;
        if (!std::filesystem::is_directory(directory, error)) {
            choice.error = "not a directory: " + *given;
            return choice;
        }
        directory = std::filesystem::absolute(directory, error);
        if (error) {
            choice.error = error.message();
            return choice;
        }
    } else {
        directory = platform::executableDirectory();
    }
    std::string text = platform::gbkFromPath(directory.lexically_normal());
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) {
        text.pop_back();
    }
    choice.directory = std::move(text);
    return choice;
}

}  // namespace lanzhou::core
