#include "tests/updater/support/zip_writer.h"

#include <minizip/zip.h>

#include "updater/core/zip_file_io.h"

namespace lanzhou::test {

namespace {

constexpr uLong kUtf8NameFlag = 1u << 11;

bool writeEntry(zipFile zip, const ZipEntry& entry) {
    zip_fileinfo info{};
    const int method = entry.stored ? 0 : Z_DEFLATED;
    const int level = entry.stored ? 0 : Z_DEFAULT_COMPRESSION;
    if (zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                method, level, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                nullptr, 0, 0, entry.utf8Name ? kUtf8NameFlag : 0, 0) != ZIP_OK) {
        return false;
    }
    const bool written = entry.bytes.empty() ||
                         zipWriteInFileInZip(zip, entry.bytes.data(),
                                             static_cast<unsigned>(entry.bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

}  // namespace

bool writeZip(const std::filesystem::path& archive, const std::vector<ZipEntry>& entries) {
    zlib_filefunc64_def functions = updater::pathFileFunctions();
    zipFile zip = zipOpen2_64(&archive, APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr) {
        return false;
    }
    bool written = true;
    for (const ZipEntry& entry : entries) {
        written = written && writeEntry(zip, entry);
    }
    return zipClose(zip, nullptr) == ZIP_OK && written;
}

}  // namespace lanzhou::test
