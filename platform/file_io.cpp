#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace lanzhou::platform {

namespace {

// A name beside `path` that no other writer of this process uses at the same
// time; the random part keeps two processes apart.
std::filesystem::path temporaryPathFor(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    static const unsigned processSalt = std::random_device{}();
    std::filesystem::path temporary = path;
    temporary += ".tmp" + std::to_string(processSalt) + "-" + std::to_string(++counter);
    return temporary;
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

}  // namespace lanzhou::platform
