#pragma once

#include <QList>
#include <QSize>
#include <Qt>

namespace lanzhou::skin {

struct AttachOptions;
enum class CaptionButton;

// What one window's frame is set to: its AttachOptions resolved against the
// window's own flags. The frame reads these, never the window's properties.
struct FrameSettings {
    int bannerHeight = 0;
    int statusHeight = 0;  // 0: no status bar
    bool minimizeButton = false;
    bool maximizeButton = false;  // also: a double-click on the banner maximizes
    bool mainMenuButton = false;
    bool helpButton = false;
    bool sizeBox = false;  // resizable by its border
    QSize minimumSize;     // as asked; the window's own minimum size adds to it
};

// `ownFlags` are the window's flags before it was framed: they decide the
// minimize and maximize buttons the options leave out.
FrameSettings frameSettings(const AttachOptions& options, Qt::WindowFlags ownFlags);

// The caption buttons of these settings in their order, right to left.
QList<CaptionButton> captionButtons(const FrameSettings& settings);

}  // namespace lanzhou::skin
