#pragma once

#include <QIcon>
#include <QRect>
#include <QString>

class QPainter;

namespace lanzhou::skin {

enum class CaptionButton;
struct FramePalette;

enum class ElementState { Normal, Hover, Pressed };

// A text with a one-pixel halo: drawn six times in the halo colour (one pixel
// left and right, each one pixel up, level and down), then once in place.
void paintHaloText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                   const FramePalette& palette);

void paintCaptionButton(QPainter& painter, const QRect& rect, CaptionButton button,
                        ElementState state, const FramePalette& palette);

// A large tab: its icon 32 x 32 centred near the top, its title along the bottom.
void paintTab(QPainter& painter, const QRect& rect, const QIcon& icon, const QString& title,
              ElementState state, bool selected, const FramePalette& palette);

}  // namespace lanzhou::skin
