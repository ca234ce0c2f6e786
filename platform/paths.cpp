#include "platform/paths.h"

#include <string>
#include <system_error>

#include "platform/gbk.h"

namespace lanzhou::platform {

namespace {

std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::filesystem::path executableDirectory() {
    std::filesystem::path directory = executablePath().parent_path();
    if (directory.empty()) {
        std::error_code error;
        directory = std::filesystem::current_path(error);
    }
    return directory;
}

std::string executableFileName() {
    const std::u8string name = executablePath().filename().u8string();
    return gbkFromUtf8(std::string(name.begin(), name.end()));
}

std::filesystem::path pathFromGbk(std::string_view gbkPath) {
    std::string utf8 = utf8FromGbk(gbkPath);
    for (char& c : utf8) {
        if (c == '\\') {
            c = static_cast<char>(std::filesystem::path::preferred_separator);
        }
    }
    return pathFromUtf8(utf8);
}

std::string gbkFromPath(const std::filesystem::path& path) {
    std::filesystem::path native = path;
    native.make_preferred();
    const std::u8string utf8 = native.u8string();
    return gbkFromUtf8(std::string(utf8.begin(), utf8.end()));
}

}  // namespace lanzhou::platform
