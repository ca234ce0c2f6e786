#include "ui/skin/caption_controls.h"

#include "ui/skin/frame_geometry.h"
#include "ui/skin/skin_frame.h"

#include <algorithm>

namespace lanzhou::skin {
namespace {

using namespace geometry;

QSize buttonSize(CaptionButton button) {
    return button == CaptionButton::Close ? kCloseButton : kCaptionButton;
}

bool isButton(const CaptionControls::Element& element) {
    return element.kind == CaptionControls::Element::Kind::Button;
}

}  // namespace

void CaptionControls::setButtons(const QList<CaptionButton>& buttons) {
    const auto oldButtons = std::count_if(m_elements.cbegin(), m_elements.cend(), isButton);
    m_elements.remove(0, oldButtons);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        Element element;
        element.button = buttons[i];
        m_elements.insert(i, element);
    }
    if (selected >= 0) {
        selected += buttons.size() - oldButtons;
    }
    hover = -1;
    pressed = -1;
}

void CaptionControls::showMaximized(bool maximized) {
    for (Element& element : m_elements) {
        if (element.button == CaptionButton::Maximize && isButton(element)) {
            element.visible = !maximized;
        } else if (element.button == CaptionButton::Restore && isButton(element)) {
            element.visible = maximized;
        }
    }
    hover = -1;
}

void CaptionControls::addTab(const QIcon& icon, const QString& title, QWidget* page) {
    Element tab;
    tab.kind = Element::Kind::Tab;
    tab.rect = geometry::tabRect(int(tabTitles().size()));
    tab.title = title;
    tab.icon = icon;
    tab.page = page;
    m_elements.append(tab);
}

QList<QRect> CaptionControls::buttonRects(int width) const {
    QList<QSize> sizes;
    for (const Element& element : m_elements) {
        if (isButton(element) && element.visible) {
            sizes << buttonSize(element.button);
        }
    }
    return captionButtonLayout(width, sizes);
}

void CaptionControls::layOut(int width) {
    const QList<QRect> rects = buttonRects(width);
    qsizetype next = 0;
    for (Element& element : m_elements) {
        if (isButton(element) && element.visible) {
            element.rect = rects[next++];
        }
    }
}

std::optional<QRect> CaptionControls::buttonRect(CaptionButton button, int width) const {
    const QList<QRect> rects = buttonRects(width);
    qsizetype next = 0;
    for (const Element& element : m_elements) {
        if (isButton(element) && element.visible) {
            if (element.button == button) {
                return rects[next];
            }
            ++next;
        }
    }
    return std::nullopt;
}

std::optional<QRect> CaptionControls::tabRect(const QString& title) const {
    const qsizetype index = tabIndex(title);
    return index >= 0 ? std::optional<QRect>(m_elements[index].rect) : std::nullopt;
}

QStringList CaptionControls::tabTitles() const {
    QStringList titles;
    for (const Element& element : m_elements) {
        if (!isButton(element)) {
            titles << element.title;
        }
    }
    return titles;
}

qsizetype CaptionControls::tabIndex(const QString& title) const {
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        if (!isButton(m_elements[i]) && m_elements[i].title == title) {
            return i;
        }
    }
    return -1;
}

int CaptionControls::titleRight(int width) const {
    int right = width - kFirstButtonGap;
    for (const Element& element : m_elements) {
        if (isButton(element) && element.visible) {
            right = std::min(right, element.rect.left());
        }
    }
    return right;
}

qsizetype CaptionControls::at(QPoint pos) const {
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].visible && m_elements[i].rect.contains(pos)) {
            return i;
        }
    }
    return -1;
}

ElementState CaptionControls::stateOf(qsizetype index) const {
    if (index == pressed) {
        return hover == index ? ElementState::Pressed : ElementState::Normal;
    }
    if (index == hover && pressed < 0) {
        return ElementState::Hover;
    }
    return ElementState::Normal;
}

}  // namespace lanzhou::skin
