#include "updater/core/archive_unpacker.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/gbk.h"
#include "updater/core/entry_name.h"
#include "updater/core/zip_file_io.h"

namespace lanzhou::updater {

namespace fs = std::filesystem;

namespace {

constexpr uLong kEncryptedFlag = 1u << 0;
constexpr uLong kUtf8NameFlag = 1u << 11;
constexpr uLong kStored = 0;
constexpr uLong kDeflated = 8;
// Longer than any name a file system takes; the format allows 65535.
constexpr std::size_t kMaximumNameBytes = 4096;
constexpr std::size_t kCopyBufferBytes = 64 * 1024;

const char* const kBroken = "更新包损坏，无法解压。";
const char* const kMissing = "找不到更新包。";
const char* const kEmpty = "更新包中没有文件。";
const char* const kEncrypted = "更新包已加密，无法解压。";
const char* const kTooLarge = "更新包过大，无法解压。";
const char* const kUnsafeName = "更新包含有不安全的文件名：";
const char* const kCannotWrite = "无法写入文件：";

struct Closer {
    void operator()(void* zip) const { unzClose(zip); }
};
using Archive = std::unique_ptr<void, Closer>;

// One entry as checked before anything is written.
struct Entry {
    std::string name;  // UTF-8, as shown in messages
    std::vector<std::string> components;
    bool folder = false;
    unz64_file_pos position{};
};

// An archive of nothing but its end record, which minizip does not open.
bool emptyArchive(const fs::path& archive) {
    std::ifstream in(archive, std::ios::binary);
    char signature[4] = {};
    return in.read(signature, sizeof signature) &&
           std::string_view(signature, sizeof signature) == std::string_view("PK\x05\x06", 4);
}

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path pathOf(const std::string& utf8Component) {
    return fs::path(std::u8string(utf8Component.begin(), utf8Component.end()));
}

// Whether an existing folder on the way to the entry is a link, which could
// lead the entry out of the target.
bool passesThroughLink(const fs::path& target, const Entry& entry) {
    fs::path at = target;
    const std::size_t folders =
        entry.folder ? entry.components.size() : entry.components.size() - 1;
    for (std::size_t i = 0; i < folders; ++i) {
        at /= pathOf(entry.components[i]);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(at, error);
        if (error || !fs::exists(status)) {
            return false;  // nothing further exists yet
        }
        if (fs::is_symlink(status)) {
            return true;
        }
    }
    return false;
}

Result<void> failure(std::string error) {
    return fail(std::move(error));
}

// Reads the current entry's name and facts; an error text when it may not
// be unpacked.
std::optional<std::string> readEntry(unzFile zip, const fs::path& target, Entry& entry,
                                     std::uint64_t& declaredBytes) {
    unz_file_info64 info{};
    char name[kMaximumNameBytes + 1];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.size_filename > kMaximumNameBytes) {
        return kBroken;
    }
    const std::string_view raw(name, info.size_filename);
    if ((info.flag & kUtf8NameFlag) != 0) {
        if (!validUtf8(raw)) {
            return kBroken;
        }
        entry.name = std::string(raw);
    } else {
        entry.name = platform::utf8FromGbk(raw);
    }
    if (!safeEntryName(entry.name)) {
        return kUnsafeName + entry.name;
    }
    if ((info.flag & kEncryptedFlag) != 0) {
        return kEncrypted;
    }
    entry.folder = entry.name.back() == '/' || entry.name.back() == '\\';
    if (!entry.folder && info.compression_method != kStored &&
        info.compression_method != kDeflated) {
        return kBroken;
    }
    for (const std::string_view component : entryNameComponents(entry.name)) {
        entry.components.emplace_back(component);
    }
    if (passesThroughLink(target, entry)) {
        return kUnsafeName + entry.name;
    }
    if (!entry.folder) {
        declaredBytes += info.uncompressed_size;
        if (declaredBytes < info.uncompressed_size) {
            declaredBytes = UINT64_MAX;  // overflow: far too large anyway
        }
    }
    if (unzGetFilePos64(zip, &entry.position) != UNZ_OK) {
        return kBroken;
    }
    return std::nullopt;
}

// Replaces `file` by `fresh`. A file that cannot be replaced while it is in
// use (a running program on Windows) can still be renamed away first.
bool replaceFile(const fs::path& fresh, const fs::path& file) {
    std::error_code error;
    fs::rename(fresh, file, error);
    if (!error) {
        return true;
    }
    if (!fs::is_regular_file(fs::symlink_status(file, error))) {
        return false;  // a folder in the way stays where it is
    }
    fs::path old = file;
    old += ".old";
    std::error_code ignored;
    fs::remove(old, ignored);
    if (fs::rename(file, old, error); error) {
        return false;
    }
    if (fs::rename(fresh, file, error); error) {
        fs::rename(old, file, ignored);
        return false;
    }
    fs::remove(old, ignored);  // fails while the old program still runs
    return true;
}

// Reports the percentage of `total` done, each value once.
class ProgressReport final {
public:
    ProgressReport(const std::function<void(int)>& progress, std::uint64_t total)
        : m_progress(progress), m_total(total) {}

    void at(std::uint64_t done) {
        const double share = m_total == 0 ? 1.0 : static_cast<double>(done) / m_total;
        const int percent = static_cast<int>(std::min(share, 1.0) * 100.0);
        if (m_progress && percent != m_last) {
            m_last = percent;
            m_progress(percent);
        }
    }
    void finished() {
        if (m_progress && m_last != 100) {
            m_last = 100;
            m_progress(100);
        }
    }

private:
    const std::function<void(int)>& m_progress;
    std::uint64_t m_total;
    int m_last = -1;
};

class Unpacker final {
public:
    Unpacker(unzFile zip, const fs::path& target, const UnpackLimits& limits,
             ProgressReport& progress, bool byBytes)
        : m_zip(zip),
          m_target(target),
          m_limits(limits),
          m_progress(progress),
          m_byBytes(byBytes) {}

    std::optional<std::string> unpack(const Entry& entry) {
        fs::path path = m_target;
        for (const std::string& component : entry.components) {
            path /= pathOf(component);
        }
        std::error_code error;
        if (entry.folder) {
            fs::create_directories(path, error);
            return error ? std::optional<std::string>(kCannotWrite + entry.name) : std::nullopt;
        }
        fs::create_directories(path.parent_path(), error);
        if (error) {
            return kCannotWrite + entry.name;
        }
        if (unzGoToFilePos64(m_zip, &entry.position) != UNZ_OK ||
            unzOpenCurrentFile(m_zip) != UNZ_OK) {
            return kBroken;
        }
        fs::path fresh = path;
        fresh += ".part";
        auto result = copyCurrentFile(fresh, entry);
        const int closed = unzCloseCurrentFile(m_zip);
        if (!result && closed != UNZ_OK) {
            result = kBroken;  // CRC error or a short entry
        }
        if (!result && !replaceFile(fresh, path)) {
            result = kCannotWrite + entry.name;
        }
        if (result) {
            std::error_code ignored;
            fs::remove(fresh, ignored);
        }
        return result;
    }

    std::uint64_t writtenBytes() const { return m_written; }

private:
    std::optional<std::string> copyCurrentFile(const fs::path& fresh, const Entry& entry) {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        if (!out) {
            return kCannotWrite + entry.name;
        }
        std::vector<char> buffer(kCopyBufferBytes);
        for (;;) {
            const int got =
                unzReadCurrentFile(m_zip, buffer.data(), static_cast<unsigned>(buffer.size()));
            if (got < 0) {
                return kBroken;
            }
            if (got == 0) {
                break;
            }
            m_written += static_cast<std::uint64_t>(got);
            if (m_written > m_limits.maximumTotalBytes) {
                return kTooLarge;
            }
            if (!out.write(buffer.data(), got)) {
                return kCannotWrite + entry.name;
            }
            if (m_byBytes) {
                m_progress.at(m_written);
            }
        }
        out.close();
        if (!out) {
            return kCannotWrite + entry.name;
        }
        return std::nullopt;
    }

    unzFile m_zip;
    const fs::path& m_target;
    const UnpackLimits& m_limits;
    ProgressReport& m_progress;
    bool m_byBytes;
    std::uint64_t m_written = 0;
};

}  // namespace

Result<void> unpackArchive(const fs::path& archive, const fs::path& target,
                           const std::function<void(int percent)>& progress,
                           const UnpackLimits& limits) {
    std::error_code error;
    if (!fs::is_regular_file(archive, error)) {
        return failure(kMissing);
    }
    zlib_filefunc64_def functions = pathFileFunctions();
    const Archive zip(unzOpen2_64(&archive, &functions));
    if (!zip) {
        return failure(emptyArchive(archive) ? kEmpty : kBroken);
    }

    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip.get(), &global) != UNZ_OK) {
        return failure(kBroken);
    }
    // Every entry is checked before the first is written.
    std::vector<Entry> entries;
    std::uint64_t declaredBytes = 0;
    for (int step = global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE
                                             : unzGoToFirstFile(zip.get());
         step != UNZ_END_OF_LIST_OF_FILE; step = unzGoToNextFile(zip.get())) {
        if (step != UNZ_OK) {
            return failure(kBroken);
        }
        if (entries.size() >= limits.maximumEntries) {
            return failure(kTooLarge);
        }
        Entry entry;
        if (auto refusal = readEntry(zip.get(), target, entry, declaredBytes)) {
            return failure(*refusal);
        }
        if (declaredBytes > limits.maximumTotalBytes) {
            return failure(kTooLarge);
        }
        entries.push_back(std::move(entry));
    }

    fs::create_directories(target, error);
    if (error) {
        return failure(kCannotWrite + utf8Of(target));
    }
    const bool byBytes = declaredBytes > 0;
    ProgressReport report(progress, byBytes ? declaredBytes : entries.size());
    report.at(0);
    Unpacker unpacker(zip.get(), target, limits, report, byBytes);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (auto refusal = unpacker.unpack(entries[i])) {
            return failure(*refusal);
        }
        if (!byBytes) {
            report.at(i + 1);
        }
    }
    report.finished();
    return {};
}

}  // namespace lanzhou::updater
