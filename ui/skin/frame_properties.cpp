#include "ui/skin/frame_properties.h"

#include "ui/skin/frame_settings.h"

#include <QVariant>
#include <QWidget>

namespace lanzhou::skin::frame_properties {

void markFramed(QWidget& window) {
    window.setProperty("ZaderEdav_WndProc", true);
}

void mirrorSettings(QWidget& window, const FrameSettings& settings) {
    window.setProperty("Vuziz_BannerHeight", settings.bannerHeight);
    window.setProperty("Vuziz_StatusHeight", settings.statusHeight);
    window.setProperty("Vuziz_MaximizeBox", settings.maximizeButton ? 1 : 0);
    window.setProperty("Vuziz_bSizeBox", settings.sizeBox ? 1 : 0);
    window.setProperty("Vuziz_MinWidth", settings.minimumSize.width());
    window.setProperty("Vuziz_MinHeight", settings.minimumSize.height());
}

void mirrorBannerHeight(QWidget& window, int bannerHeight) {
    window.setProperty("Vuziz_BannerHeight", bannerHeight);
}

void mirrorWindowState(QWidget& window, bool maximized, bool minimized) {
    window.setProperty("Vuziz_Maximize", maximized ? 1 : 0);
    window.setProperty("Vuziz_bMinimize", minimized ? 1 : 0);
}

void mirrorIndex(QWidget& window, int index) {
    window.setProperty("Vuziz_DUIIndex", index);
}

void mirrorSelectedPage(QWidget& window, QWidget* page) {
    window.setProperty("Vuziz_hWndChild", QVariant::fromValue(page));
}

void mirrorDrawnSize(QWidget& window) {
    window.setProperty("Vuziz_nWidth", window.width());
    window.setProperty("Vuziz_nHeight", window.height());
}

}  // namespace lanzhou::skin::frame_properties
