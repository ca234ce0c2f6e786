#pragma once

#include "ui/skin/element_painter.h"
#include "ui/skin/skin_frame.h"
#include "ui/skin/window_dragger.h"

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

namespace lanzhou::skin {

struct FrameLook;

// One attached window: its elements (caption buttons, status text, tabs),
// the cached drawing of its frame, and the event filter that paints the
// frame behind the window's own children and turns mouse input into
// element actions, moving and sizing. Keeps the window's Vuziz_* properties.
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

    void addTab(const QPixmap& icon, const QString& title, QWidget* page);
    void selectTab(const QString& title);
    QString selectedTab() const;
    QStringList tabTitles() const;

    void setHelpHandler(std::function<void()> handler) { m_onHelp = std::move(handler); }
    void setMainMenuHandler(std::function<void()> handler) { m_onMainMenu = std::move(handler); }

    std::optional<QRect> captionButtonRect(CaptionButton button) const;
    std::optional<QRect> tabRect(const QString& title) const;
    QRect contentRect() const;

    // The shared look changed: redraw.
    void redraw();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Element {
        enum class Kind { Button, Tab };
        Kind kind = Kind::Button;
        CaptionButton button = CaptionButton::Close;
        QRect rect;
        bool visible = true;
        QString title;
        QPixmap icon;
        QPointer<QWidget> page;
    };

    int bannerHeight() const;
    int statusHeight() const;
    bool maximized() const;
    bool sizeBox() const;
    QSize minimumSize() const;
    bool hasMaximizeBox() const;

    QList<QRect> buttonRects() const;  // the visible caption buttons, in order
    void layoutButtons();
    void fitPage();
    void updateMask();
    void syncWindowState();
    void refreshWindowState();  // after a state change, with or without its event
    void selectElement(qsizetype index);
    qsizetype elementAt(QPoint pos) const;
    bool inDragArea(QPoint pos) const;
    void setHover(qsizetype index);
    void toggleMaximized();
    void act(qsizetype index);

    void paintFrame();
    const QPixmap& background();
    void onMouseMove(QMouseEvent* event);
    void onMousePress(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void onDoubleClick(QMouseEvent* event);

    QPointer<QWidget> m_window;
    Qt::WindowFlags m_ownFlags;  // the window's flags before it was framed
    const FrameLook& m_look;
    WindowDragger m_dragger;
    QList<Element> m_elements;
    qsizetype m_hover = -1;
    qsizetype m_pressed = -1;
    qsizetype m_selected = -1;
    QString m_statusText;
    QRect m_normalGeometry;
    bool m_cursorSet = false;
    std::function<void()> m_onHelp;
    std::function<void()> m_onMainMenu;

    QPixmap m_background;
    std::uint64_t m_backgroundGeneration = 0;
    bool m_backgroundStale = true;
};

}  // namespace lanzhou::skin
