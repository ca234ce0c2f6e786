#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace lanzhou::platform {

namespace {

constexpr std::string_view kTemporaryMark = ".tmp";

// A name beside `path` that no other writer of this process uses at the same
// time; the random part keeps two processes apart.
std::filesystem::path temporaryPathFor(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    static const unsigned processSalt = std::random_device{}();
    std::filesystem::path temporary = path;
    temporary +=
        std::string(kTemporaryMark) + std::to_string(processSalt) + "-" + std::to_string(++counter);
    return temporary;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether `name` is one temporaryPathFor gives for a file named `target`:
// target + ".tmp" + digits + "-" + digits.
bool isTemporaryName(std::string_view name, std::string_view target) {
    if (!name.starts_with(target) || !name.substr(target.size()).starts_with(kTemporaryMark)) {
        return false;
    }
    const std::string_view numbers = name.substr(target.size() + kTemporaryMark.size());
    const auto dash = numbers.find('-');
    return dash != std::string_view::npos && allDigits(numbers.substr(0, dash)) &&
           allDigits(numbers.substr(dash + 1));
}

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string content;
    char buffer[16384];
    while (content.size() < limit && in) {
        const std::size_t want = std::min(sizeof buffer, limit - content.size());
        in.read(buffer, static_cast<std::streamsize>(want));
        const std::streamsize got = in.gcount();
        if (got <= 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return content;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temporary = temporaryPathFor(path);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

void removeLeftoverTemporaries(const std::filesystem::path& path) {
    const std::string target = path.filename().string();
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return;
    }
    std::vector<std::filesystem::path> leftovers;
    for (const auto& entry : entries) {
        if (entry.is_regular_file(error) &&
            isTemporaryName(entry.path().filename().string(), target)) {
            leftovers.push_back(entry.path());
        }
    }
    for (const auto& leftover : leftovers) {
        std::filesystem::remove(leftover, error);
    }
}

}  // namespace lanzhou::platform
