#pragma once

#include "ui/skin/element_painter.h"
#include "ui/skin/skin_frame.h"

#include <QIcon>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace lanzhou::skin {

// The clickable elements of one frame: the caption buttons, laid out from
// the right edge, then the large tabs, with which one the pointer is over,
// which one is held down and which tab is selected. Knows no window: the
// framed window asks it where things are and repaints what it says.
class CaptionControls final {
public:
    struct Element {
        enum class Kind { Button, Tab };
        Kind kind = Kind::Button;
        CaptionButton button = CaptionButton::Close;
        QRect rect;
        bool visible = true;
        QString title;
        QIcon icon;
        QPointer<QWidget> page;
    };

    const QList<Element>& elements() const { return m_elements; }
    const Element& operator[](qsizetype index) const { return m_elements[index]; }

    // Replaces the caption buttons (before the tabs, which stay, with their
    // selection); nothing is hovered or held afterwards.
    void setButtons(const QList<CaptionButton>& buttons);
    // Shows the maximize button, or the restore button while maximized;
    // nothing is hovered afterwards.
    void showMaximized(bool maximized);
    void addTab(const QIcon& icon, const QString& title, QWidget* page);

    // Lays the visible caption buttons out for a window `width` wide.
    void layOut(int width);
    // Where a visible caption button is drawn in a window `width` wide.
    std::optional<QRect> buttonRect(CaptionButton button, int width) const;
    std::optional<QRect> tabRect(const QString& title) const;
    QStringList tabTitles() const;
    qsizetype tabIndex(const QString& title) const;  // -1: no such tab
    // The title ends left of the caption buttons (or kFirstButtonGap from
    // the right without any).
    int titleRight(int width) const;

    // The visible element under `pos`, or -1.
    qsizetype at(QPoint pos) const;
    // How the element is drawn: held down while the pointer is on it,
    // hovered while nothing is held.
    ElementState stateOf(qsizetype index) const;

    qsizetype hover = -1;
    qsizetype pressed = -1;
    qsizetype selected = -1;

private:
    QList<QRect> buttonRects(int width) const;

    QList<Element> m_elements;
};

}  // namespace lanzhou::skin
