#include "ui/skin/frame_settings.h"

#include "ui/skin/frame_geometry.h"
#include "ui/skin/skin_frame.h"

#include <algorithm>

namespace lanzhou::skin {

using namespace geometry;

FrameSettings frameSettings(const AttachOptions& options, Qt::WindowFlags ownFlags) {
    FrameSettings settings;
    settings.bannerHeight = std::max(options.bannerHeight.value_or(kDefaultBanner), kMinimumBanner);
    settings.statusHeight = std::max(options.statusHeight.value_or(kDefaultStatus), 0);
    settings.minimizeButton =
        options.minimizeButton.value_or(ownFlags.testFlag(Qt::WindowMinimizeButtonHint));
    settings.maximizeButton =
        options.maximizeButton.value_or(ownFlags.testFlag(Qt::WindowMaximizeButtonHint));
    settings.mainMenuButton = options.mainMenuButton;
    settings.helpButton = options.helpButton;
    settings.sizeBox = options.sizeBox;
    settings.minimumSize =
        QSize(std::max(options.minimumWidth, 0), std::max(options.minimumHeight, 0));
    return settings;
}

QList<CaptionButton> captionButtons(const FrameSettings& settings) {
    QList<CaptionButton> buttons{CaptionButton::Close};
    if (settings.maximizeButton) {
        buttons << CaptionButton::Maximize << CaptionButton::Restore;
    }
    if (settings.minimizeButton) {
        buttons << CaptionButton::Minimize;
    }
    if (settings.mainMenuButton) {
        buttons << CaptionButton::MainMenu;
    }
    if (settings.helpButton) {
        buttons << CaptionButton::Help;
    }
    return buttons;
}

}  // namespace lanzhou::skin
