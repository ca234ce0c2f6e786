#include "ui/skin/frame_canvas.h"

#include "ui/skin/caption_controls.h"
#include "ui/skin/element_painter.h"
#include "ui/skin/frame_geometry.h"
#include "ui/skin/frame_look.h"
#include "ui/skin/frame_painter.h"
#include "ui/skin/frame_properties.h"
#include "ui/skin/frame_settings.h"

#include <QPainter>
#include <QWidget>

namespace lanzhou::skin {

using namespace geometry;

const QPixmap& FrameCanvas::background(QWidget& window, const FrameSettings& settings,
                                       const CaptionControls& controls) {
    const qreal ratio = window.devicePixelRatioF();
    const QSize pixels = window.size() * ratio;
    if (!m_stale && m_generation == m_look.generation && m_background.size() == pixels &&
        qFuzzyCompare(m_background.devicePixelRatio(), ratio)) {
        return m_background;
    }
    m_background = QPixmap(pixels);
    m_background.setDevicePixelRatio(ratio);
    m_background.fill(Qt::transparent);
    FrameScene scene;
    scene.size = window.size();
    scene.bannerHeight = settings.bannerHeight;
    scene.statusHeight = settings.statusHeight;
    scene.maximized = window.isMaximized() || window.isFullScreen();
    scene.sizeGrip = settings.sizeBox;
    scene.icon = window.windowIcon();
    scene.title = window.windowTitle();
    scene.titleRight = controls.titleRight(window.width());
    {
        QPainter painter(&m_background);
        painter.setFont(window.font());
        paintFrameBackground(painter, scene, m_look);
    }
    m_generation = m_look.generation;
    m_stale = false;
    frame_properties::mirrorDrawnSize(window);
    return m_background;
}

void FrameCanvas::paint(QWidget& window, const FrameSettings& settings,
                        const CaptionControls& controls, const QString& statusText) {
    if (window.width() <= 0 || window.height() <= 0) {
        return;
    }
    QPainter painter(&window);
    painter.drawPixmap(0, 0, background(window, settings, controls));
    const FramePalette palette = FramePalette::from(m_look.colour);
    const auto& elements = controls.elements();
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const CaptionControls::Element& element = elements[i];
        if (!element.visible) {
            continue;
        }
        const ElementState state = controls.stateOf(i);
        if (element.kind == CaptionControls::Element::Kind::Button) {
            paintCaptionButton(painter, element.rect, element.button, state, palette);
        } else {
            paintTab(painter, element.rect, element.icon, element.title, state,
                     i == controls.selected, palette);
        }
    }
    const int status = settings.statusHeight;
    if (status > 0 && !statusText.isEmpty()) {
        QFont font = window.font();
        font.setPointSizeF(9);
        painter.setFont(font);
        const QRect rect = statusTextRect(window.size(), status);
        const QString elided =
            painter.fontMetrics().elidedText(statusText, Qt::ElideRight, rect.width() - 16);
        paintHaloText(painter, rect, Qt::AlignLeft | Qt::AlignVCenter, elided, palette);
    }
}

}  // namespace lanzhou::skin
