#pragma once

#include <QPixmap>
#include <QString>

#include <cstdint>

class QWidget;

namespace lanzhou::skin {

class CaptionControls;
struct FrameLook;
struct FrameSettings;

// Paints one window's frame behind its children: the background (colour or
// picture, banner, status bar, border, icon and title), drawn once and kept
// until the window's size, the settings or the shared look change, then the
// caption buttons and tabs in their states and the status text on top.
class FrameCanvas final {
public:
    explicit FrameCanvas(const FrameLook& look) : m_look(look) {}

    // The kept background no longer matches (title, icon, font, settings).
    void invalidate() { m_stale = true; }

    void paint(QWidget& window, const FrameSettings& settings, const CaptionControls& controls,
               const QString& statusText);

private:
    const QPixmap& background(QWidget& window, const FrameSettings& settings,
                              const CaptionControls& controls);

    const FrameLook& m_look;
    QPixmap m_background;
    std::uint64_t m_generation = 0;
    bool m_stale = true;
};

}  // namespace lanzhou::skin
