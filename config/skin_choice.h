#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lanzhou::config {

class ConfigFile;

// bx "0": the frame's colour bcolour, a 0x00BBGGRR number read leniently;
// nothing when bcolour is empty or missing.
struct SkinColour {
    std::optional<std::int32_t> colorRef;
};

// Any other bx: the picture bpic, GBK path text with the run directory put
// in front of "\..."; empty when bpic is empty or missing.
struct SkinPicture {
    std::string path;
};

using SkinChoice = std::variant<SkinColour, SkinPicture>;

// Reads bx, then bcolour or bpic (only the one it needs). A missing file
// reads as a picture without a path.
SkinChoice readSkinChoice(const ConfigFile& config, std::string_view runDirectory);

}  // namespace lanzhou::config
