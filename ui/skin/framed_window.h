#pragma once

#include "ui/skin/caption_controls.h"
#include "ui/skin/frame_canvas.h"
#include "ui/skin/frame_settings.h"
#include "ui/skin/skin_frame.h"
#include "ui/skin/window_helper.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QMouseEvent;

namespace lanzhou::skin {

struct FrameLook;

// One attached window: its settings and window state (the truth, mirrored
// in the window's Vuziz_* properties), and the event filter that hands
// painting to its FrameCanvas, the mouse on elements to its CaptionControls
// and the mouse on banner, status bar and border to its WindowHelper.
class FramedWindow final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FramedWindow)

public:
    FramedWindow(QWidget* window, const FrameLook& look, QObject* parent);
    ~FramedWindow() override;

    QWidget* window() const { return m_window; }
    void applyOptions(const AttachOptions& options);
    void setIndex(int index);

    void setStatusText(const QString& text);
    QString statusText() const { return m_statusText; }

    void addTab(const QIcon& icon, const QString& title, QWidget* page);
    void selectTab(const QString& title);
    QString selectedTab() const;
    QStringList tabTitles() const { return m_controls.tabTitles(); }

    void setHelpHandler(std::function<void()> handler) { m_onHelp = std::move(handler); }
    void setMainMenuHandler(std::function<void()> handler) { m_onMainMenu = std::move(handler); }

    std::optional<QRect> captionButtonRect(CaptionButton button) const;
    std::optional<QRect> tabRect(const QString& title) const { return m_controls.tabRect(title); }
    QRect contentRect() const;

    // What assistive technology reads and presses (frame_accessibility.h).
    const CaptionControls& controls() const { return m_controls; }
    bool hasStatusBar() const { return m_settings.statusHeight > 0; }
    QRect statusBarRect() const;
    // Does what a click on the element does.
    void press(qsizetype index);

    // The shared look changed: redraw.
    void redraw();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOutButtons();
    void fitPage();
    void syncWindowState();
    void refreshWindowState();  // after a state change, with or without its event
    void selectElement(qsizetype index);
    // Ctrl+Tab and Ctrl+PgDn select the next tab, Ctrl+Shift+Tab and Ctrl+PgUp
    // the previous one (round the strip), and the page takes the focus.
    void addTabKeys();
    // F1 presses the help button, F10 the main-menu button, where shown.
    void addButtonKeys();
    void selectNeighbourTab(int step);
    void setHover(qsizetype index);
    void toggleMaximized();
    void act(qsizetype index);

    void onMouseMove(QMouseEvent* event);
    void onMousePress(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void onDoubleClick(QMouseEvent* event);

    QPointer<QWidget> m_window;
    Qt::WindowFlags m_ownFlags;  // the window's flags before it was framed
    FrameSettings m_settings;
    bool m_maximized = false;  // as last seen: sizing a maximized window ends it without an event
    CaptionControls m_controls;
    WindowHelper m_helper;
    FrameCanvas m_canvas;
    QString m_statusText;
    std::function<void()> m_onHelp;
    std::function<void()> m_onMainMenu;
};

}  // namespace lanzhou::skin
