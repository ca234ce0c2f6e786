// Unpacks arbitrary update archives into a fresh folder and checks that
// nothing appears outside it. The first byte chooses the archive: odd, the
// remaining bytes are the archive itself; even, they describe entries (names,
// flags, contents) that minizip writes into a well-formed archive, of which
// one byte may then be changed, so that names and damaged data are reached
// without a seed corpus.

#include <fuzzer/FuzzedDataProvider.h>
#include <minizip/zip.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/process_list.h"
#include "updater/core/archive_unpacker.h"
#include "updater/core/zip_file_io.h"

namespace fs = std::filesystem;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// base/a/b/temp.zip and base/a/b/run: an entry that climbs up to three
// levels lands inside base, where it is seen.
struct Folders {
    fs::path base;
    fs::path archive;
    fs::path target;
};

const Folders& folders() {
    static const Folders made = [] {
        Folders f;
        // Memory-backed where there is such a folder: every run writes files.
        std::error_code error;
        const fs::path memory = "/dev/shm";
        const fs::path temporary =
            fs::is_directory(memory, error) ? memory : fs::temp_directory_path();
        f.base = temporary /
                 ("lanzhou-fuzz-archive-" + std::to_string(lanzhou::platform::currentProcessId()));
        f.archive = f.base / "a" / "b" / "temp.zip";
        f.target = f.base / "a" / "b" / "run";
        return f;
    }();
    return made;
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Entries chosen by the fuzzer, written with minizip.
void writeDescribedArchive(FuzzedDataProvider& provider, const fs::path& archive) {
    static const char* const kNames[] = {
        "a.txt", "dir/",      "dir/b.txt", "../x", "..\\x",       "/x",
        "C:x",   "a/../../x", "...",       "a\\b", "lanzhou.exe", "dir",
    };
    zlib_filefunc64_def functions = lanzhou::updater::pathFileFunctions();
    zipFile zip = zipOpen2_64(&archive, APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr) {
        return;
    }
    const int count = provider.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < count; ++i) {
        std::string name = provider.ConsumeBool() ? provider.PickValueInArray(kNames)
                                                  : provider.ConsumeRandomLengthString(40);
        if (provider.ConsumeBool()) {
            name += provider.PickValueInArray(kNames);
        }
        const bool utf8 = provider.ConsumeBool();
        const bool stored = provider.ConsumeBool();
        const std::string content = provider.ConsumeRandomLengthString(300);
        zip_fileinfo info{};
        if (zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                    stored ? 0 : Z_DEFLATED, stored ? 0 : Z_DEFAULT_COMPRESSION, 0,
                                    -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                    utf8 ? (1u << 11) : 0, 0) == ZIP_OK) {
            zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
            zipCloseFileInZip(zip);
        }
    }
    zipClose(zip, nullptr);

    if (provider.ConsumeBool()) {
        std::string bytes;
        {
            std::ifstream in(archive, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        if (!bytes.empty()) {
            const auto at = provider.ConsumeIntegralInRange<std::size_t>(0, bytes.size() - 1);
            bytes[at] = static_cast<char>(provider.ConsumeIntegral<std::uint8_t>());
            if (provider.ConsumeBool()) {
                bytes.resize(at);
            }
            writeBytes(archive, bytes);
        }
    }
}

// Nothing but the archive and the target (with whatever is inside it) under
// the base folder.
void checkNothingOutside(const Folders& f) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(f.base, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path& path = it->path();
        const fs::path relative = path.lexically_relative(f.target);
        const bool inside = !relative.empty() && *relative.begin() != "..";
        check(inside || path == f.base / "a" || path == f.base / "a" / "b" || path == f.archive);
    }
    check(!error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Folders& f = folders();
    std::error_code ignored;
    fs::remove_all(f.base, ignored);
    fs::create_directories(f.archive.parent_path(), ignored);
    FuzzedDataProvider provider(data, size);
    if (provider.ConsumeIntegral<std::uint8_t>() % 2 == 1) {
        writeBytes(f.archive, provider.ConsumeRemainingBytesAsString());
    } else {
        writeDescribedArchive(provider, f.archive);
    }

    lanzhou::updater::UnpackLimits limits;
    limits.maximumTotalBytes = 1 << 20;
    limits.maximumEntries = 1000;
    int lastPercent = -1;
    const auto result = lanzhou::updater::unpackArchive(
        f.archive, f.target,
        [&lastPercent](int percent) {
            check(percent >= 0 && percent <= 100 && percent > lastPercent);
            lastPercent = percent;
        },
        limits);
    check(result.has_value() == result.error().empty());
    check(!result.has_value() || lastPercent == 100);
    checkNothingOutside(f);

    fs::remove_all(f.base, ignored);
    return 0;
}
