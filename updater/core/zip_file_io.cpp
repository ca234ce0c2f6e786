#include "updater/core/zip_file_io.h"

#include <filesystem>
#include <fstream>
#include <ios>
#include <memory>

namespace lanzhou::updater {

namespace {

std::filebuf* fileOf(voidpf stream) {
    return static_cast<std::filebuf*>(stream);
}

voidpf ZCALLBACK openFile(voidpf /*opaque*/, const void* path, int mode) {
    if (path == nullptr) {
        return nullptr;
    }
    std::ios::openmode openMode = std::ios::binary;
    if ((mode & ZLIB_FILEFUNC_MODE_CREATE) != 0) {
        openMode |= std::ios::in | std::ios::out | std::ios::trunc;
    } else if ((mode & ZLIB_FILEFUNC_MODE_WRITE) != 0) {
        openMode |= std::ios::in | std::ios::out;
    } else {
        openMode |= std::ios::in;
    }
    auto file = std::make_unique<std::filebuf>();
    if (file->open(*static_cast<const std::filesystem::path*>(path), openMode) == nullptr) {
        return nullptr;
    }
    return file.release();
}

uLong ZCALLBACK readFile(voidpf /*opaque*/, voidpf stream, void* buffer, uLong size) {
    const std::streamsize got =
        fileOf(stream)->sgetn(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return got > 0 ? static_cast<uLong>(got) : 0;
}

uLong ZCALLBACK writeFile(voidpf /*opaque*/, voidpf stream, const void* buffer, uLong size) {
    const std::streamsize put =
        fileOf(stream)->sputn(static_cast<const char*>(buffer), static_cast<std::streamsize>(size));
    return put > 0 ? static_cast<uLong>(put) : 0;
}

ZPOS64_T ZCALLBACK tellFile(voidpf /*opaque*/, voidpf stream) {
    const std::streamoff at = fileOf(stream)->pubseekoff(0, std::ios::cur);
    return at < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(at);
}

long ZCALLBACK seekFile(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
    std::ios::seekdir direction = std::ios::beg;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            direction = std::ios::beg;
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            direction = std::ios::cur;
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            direction = std::ios::end;
            break;
        default:
            return -1;
    }
    // Offsets back from the current place or the end come as wrapped
    // unsigned values, as for fseeko.
    const std::streamoff at =
        fileOf(stream)->pubseekoff(static_cast<std::streamoff>(offset), direction);
    return at < 0 ? -1 : 0;
}

int ZCALLBACK closeFile(voidpf /*opaque*/, voidpf stream) {
    std::unique_ptr<std::filebuf> file(fileOf(stream));
    return file->close() != nullptr ? 0 : -1;
}

int ZCALLBACK testError(voidpf /*opaque*/, voidpf /*stream*/) {
    return 0;
}

}  // namespace

zlib_filefunc64_def pathFileFunctions() {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openFile;
    functions.zread_file = readFile;
    functions.zwrite_file = writeFile;
    functions.ztell64_file = tellFile;
    functions.zseek64_file = seekFile;
    functions.zclose_file = closeFile;
    functions.zerror_file = testError;
    functions.opaque = nullptr;
    return functions;
}

}  // namespace lanzhou::updater
