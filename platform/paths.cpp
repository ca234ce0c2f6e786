#include "platform/paths.h"

#include <string>
#include <system_error>

#include "platform/gbk.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace lanzhou::platform {

namespace {

std::filesystem::path executablePath() {
#ifdef _WIN32
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return path;
#endif
}

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
