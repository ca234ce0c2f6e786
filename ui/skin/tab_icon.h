#pragma once

#include <QIcon>
#include <QPixmap>

namespace lanzhou::skin {

// A tab's icon is 32 x 32 logical pixels.
inline constexpr int kTabIconSize = 32;

// The tab icon for a painter at `ratio`: 32 x 32 logical pixels made of
// round(32 x ratio) device pixels, so that it is drawn without scaling. From
// the smallest of the icon's sizes that is at least that large (smoothly made
// smaller), else from its largest, enlarged pixel by pixel rather than
// blurred. Null for a null icon.
QPixmap tabIconPixmap(const QIcon& icon, qreal ratio);

}  // namespace lanzhou::skin
