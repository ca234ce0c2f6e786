#include "ui/skin/tab_icon.h"

#include <cmath>

namespace lanzhou::skin {

QPixmap tabIconPixmap(const QIcon& icon, qreal ratio) {
    const QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) {
        return {};
    }
    const int target = int(std::lround(kTabIconSize * ratio));
    QSize chosen;
    for (const QSize& size : sizes) {
        const int side = std::max(size.width(), size.height());
        const int best = std::max(chosen.width(), chosen.height());
        const bool large = side >= target;
        const bool bestLarge = chosen.isValid() && best >= target;
        if (!chosen.isValid() || (large && (!bestLarge || side < best)) ||
            (!large && !bestLarge && side > best)) {
            chosen = size;
        }
    }
    const QPixmap source = icon.pixmap(chosen, 1.0);
    const bool enlarge = std::max(chosen.width(), chosen.height()) < target;
    QPixmap pixmap = source.scaled(target, target, Qt::IgnoreAspectRatio,
                                   enlarge ? Qt::FastTransformation : Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace lanzhou::skin
