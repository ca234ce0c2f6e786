#include "updater/configured_skin.h"

#include <string>

#include "client/core/config_file.h"
#include "client/core/startup_settings.h"
#include "platform/paths.h"
#include "protocol/lenient_int.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/qt_path.h"

namespace lanzhou::updater {

void applyConfiguredSkin(skin::SkinFrame& frame, const std::filesystem::path& runDirectory) {
    const core::ConfigFile config(runDirectory / "k_config.ini");
    if (config.read("bx") == "0") {
        const std::string colour = config.read("bcolour");
        if (!colour.empty()) {
            frame.SetColour(skin::fromColorRef(protocol::lenientInt(colour)));
        }
        return;
    }
    const std::string picture = config.read("bpic");
    if (picture.empty()) {
        return;
    }
    const std::string gbkPath = core::resolveRunPath(platform::gbkFromPath(runDirectory), picture);
    frame.SetPicture(display::qtPathFromGbk(gbkPath));
}

}  // namespace lanzhou::updater
