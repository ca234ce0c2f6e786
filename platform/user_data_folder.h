#pragma once

#include <filesystem>

namespace lanzhou::platform {

// This user's folder for the data of programs: $XDG_DATA_HOME, else
// $HOME/.local/share (Windows: %LOCALAPPDATA%, else
// %USERPROFILE%\AppData\Local). Only an absolute folder named by the
// environment counts; empty when there is none.
std::filesystem::path userDataFolder();

}  // namespace lanzhou::platform
