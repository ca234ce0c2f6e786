#include "updater/window/configured_skin.h"

#include <string>
#include <variant>

#include "ui/widgets/qt_path.h"
#include "config/config_file.h"
#include "config/run_paths.h"
#include "config/skin_choice.h"
#include "platform/paths.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::updater {

void applyConfiguredSkin(skin::SkinFrame& frame, const std::filesystem::path& runDirectory) {
    const config::ConfigFile file(config::configFilePath(runDirectory));
    const config::SkinChoice choice =
        config::readSkinChoice(file, platform::gbkFromPath(runDirectory));
    if (const auto* colour = std::get_if<config::SkinColour>(&choice)) {
        if (colour->colorRef) {
            frame.SetColour(skin::fromColorRef(*colour->colorRef));
        }
        return;
    }
    const std::string& picture = std::get<config::SkinPicture>(choice).path;
    if (!picture.empty()) {
        frame.SetPicture(display::qtPathFromGbk(picture));
    }
}

}  // namespace lanzhou::updater
