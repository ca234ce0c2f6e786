#include "config/skin_choice.h"

#include "config/config_file.h"
#include "config/config_keys.h"
#include "config/run_paths.h"
#include "protocol/lenient_int.h"

namespace lanzhou::config {

SkinChoice readSkinChoice(const ConfigFile& config, std::string_view runDirectory) {
    if (config.read(key::kSkinKind) == "0") {
        const std::string colour = config.read(key::kSkinColour);
        if (colour.empty()) {
            return SkinColour{};
        }
        return SkinColour{protocol::lenientInt(colour)};
    }
    return SkinPicture{resolveRunPath(runDirectory, config.read(key::kSkinPicture))};
}

}  // namespace lanzhou::config
