#pragma once

class QWidget;

namespace lanzhou::skin {

struct FrameSettings;

// The frame's state mirrored on the window as dynamic properties, so that
// tests and tools can inspect it; the frame itself never reads them back.
// ZaderEdav_WndProc marks a framed window; the rest are named Vuziz_*.
namespace frame_properties {

void markFramed(QWidget& window);
// Vuziz_BannerHeight, Vuziz_StatusHeight, Vuziz_MaximizeBox, Vuziz_bSizeBox,
// Vuziz_MinWidth, Vuziz_MinHeight.
void mirrorSettings(QWidget& window, const FrameSettings& settings);
void mirrorBannerHeight(QWidget& window, int bannerHeight);
// Vuziz_Maximize, Vuziz_bMinimize.
void mirrorWindowState(QWidget& window, bool maximized, bool minimized);
// Vuziz_DUIIndex: the place in attach order, from 1.
void mirrorIndex(QWidget& window, int index);
// Vuziz_hWndChild: the page of the selected tab.
void mirrorSelectedPage(QWidget& window, QWidget* page);
// Vuziz_nWidth, Vuziz_nHeight: the size the frame was last drawn for.
void mirrorDrawnSize(QWidget& window);

}  // namespace frame_properties
}  // namespace lanzhou::skin
