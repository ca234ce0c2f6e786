#pragma once

#include <QString>

#include <filesystem>
#include <string_view>

#include "platform/paths.h"

namespace lanzhou::display {

// A path of this system as Qt takes it.
inline QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

// A path text as the client keeps it (GBK, "\" between folders) as Qt takes
// it: the separators become the system's.
inline QString qtPathFromGbk(std::string_view gbkPath) {
    return qtPath(platform::pathFromGbk(gbkPath));
}

}  // namespace lanzhou::display
