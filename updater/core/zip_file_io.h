#pragma once

#include <minizip/ioapi.h>

namespace lanzhou::updater {

// minizip's file functions over std::filebuf, so that archives are opened by
// std::filesystem::path (wide on Windows, whatever the folder's name). The
// `path` handed to unzOpen2_64 / zipOpen2_64 with these functions is a
// `const std::filesystem::path*`.
zlib_filefunc64_def pathFileFunctions();

}  // namespace lanzhou::updater
