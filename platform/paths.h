#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lanzhou::platform {

// The running executable's file; empty when the system does not say.
std::filesystem::path executablePath();

// The directory of the running executable, without a trailing separator.
std::filesystem::path executableDirectory();

// File name of the running executable, without its directory (GBK text).
std::string executableFileName();

// A path as the client writes it (GBK text, "\" between folders) turned into
// a path of this system: backslashes become the native separator and the text
// is decoded from GBK.
std::filesystem::path pathFromGbk(std::string_view gbkPath);

// The inverse, for building GBK path texts from system paths ("\" kept as
// the separator on Windows, "/" elsewhere).
std::string gbkFromPath(const std::filesystem::path& path);

}  // namespace lanzhou::platform
