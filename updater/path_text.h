#pragma once

#include <QString>

#include <filesystem>

namespace lanzhou::updater {

// A path of this system as Qt takes it.
inline QString pathText(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

}  // namespace lanzhou::updater
