#pragma once

#include <filesystem>

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::updater {

// The client's skin as k_config.ini in `runDirectory` chooses it
// (config::readSkinChoice): bx "0" takes bcolour (a 0x00BBGGRR number) as the frame colour;
// anything else takes the picture bpic, relative to the run directory when it starts with
// "\", else as a full path. A missing file, key or picture leaves the
// frame's default look. The file is only read.
void applyConfiguredSkin(skin::SkinFrame& frame, const std::filesystem::path& runDirectory);

}  // namespace lanzhou::updater
