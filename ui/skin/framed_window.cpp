#include "ui/skin/framed_window.h"

#include "ui/skin/frame_accessibility.h"
#include "ui/skin/frame_geometry.h"
#include "ui/skin/frame_properties.h"

#include <QKeySequence>
#include <QShortcut>

namespace lanzhou::skin {

using namespace geometry;

FramedWindow::FramedWindow(QWidget* window, const FrameLook& look, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_ownFlags(window->windowFlags()),
      m_helper(window),
      m_canvas(look) {
    // Frameless, keeping the window's type; the system menu and minimize
    // hints let the task bar still minimize and close it.
    const Qt::WindowFlags flags = m_ownFlags | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowMinimizeButtonHint;
    if (flags != m_ownFlags) {
        const bool visible = window->isVisible();
        window->setWindowFlags(flags);
        if (visible) {
            window->show();
        }
    }
    window->setMouseTracking(true);
    frame_properties::markFramed(*window);
    window->installEventFilter(this);
    addButtonKeys();
    frame_accessibility::expose(*this);
}

FramedWindow::~FramedWindow() {
    frame_accessibility::withdraw(*this);
    if (m_window) {
        m_window->removeEventFilter(this);
    }
}

void FramedWindow::applyOptions(const AttachOptions& options) {
    QWidget* window = m_window;
    if (!window) {
        return;
    }
    m_settings = frameSettings(options, m_ownFlags);
    frame_properties::mirrorSettings(*window, m_settings);
    if (!m_settings.minimumSize.isNull()) {
        window->setMinimumSize(window->minimumSize().expandedTo(m_settings.minimumSize));
    }
    m_controls.setButtons(captionButtons(m_settings));
    syncWindowState();
    fitPage();
    redraw();
}

void FramedWindow::setIndex(int index) {
    if (m_window) {
        frame_properties::mirrorIndex(*m_window, index);
    }
}

void FramedWindow::setStatusText(const QString& text) {
    if (text == m_statusText) {
        return;
    }
    m_statusText = text;
    if (m_window && m_settings.statusHeight > 0) {
        m_window->update(statusTextRect(m_window->size(), m_settings.statusHeight));
    }
    frame_accessibility::statusTextChanged(*this);
}

void FramedWindow::addTab(const QIcon& icon, const QString& title, QWidget* page) {
    if (!m_window) {
        return;
    }
    if (m_settings.bannerHeight < kTabBanner) {
        m_settings.bannerHeight = kTabBanner;
        frame_properties::mirrorBannerHeight(*m_window, kTabBanner);
        m_canvas.invalidate();
    }
    if (m_controls.tabTitles().isEmpty()) {
        addTabKeys();
    }
    m_controls.addTab(icon, title, page);
    if (page) {
        page->setParent(m_window);
        page->hide();
    }
    fitPage();
    m_window->update();
}

void FramedWindow::selectTab(const QString& title) {
    const qsizetype index = m_controls.tabIndex(title);
    if (index >= 0) {
        selectElement(index);
    }
}

QString FramedWindow::selectedTab() const {
    return m_controls.selected >= 0 ? m_controls[m_controls.selected].title : QString();
}

std::optional<QRect> FramedWindow::captionButtonRect(CaptionButton button) const {
    // From the current width: a hidden window gets no resize events.
    return m_controls.buttonRect(button, m_window ? m_window->width() : 0);
}

QRect FramedWindow::statusBarRect() const {
    return m_window ? geometry::statusBarRect(m_window->size(), m_settings.statusHeight) : QRect();
}

void FramedWindow::press(qsizetype index) {
    if (m_window && index >= 0 && index < m_controls.elements().size() &&
        m_controls[index].visible) {
        act(index);
    }
}

void FramedWindow::addTabKeys() {
    const auto bind = [this](const QKeySequence& keys, int step) {
        auto* shortcut = new QShortcut(keys, m_window);
        connect(shortcut, &QShortcut::activated, this, [this, step] { selectNeighbourTab(step); });
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    bind(QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1);
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void FramedWindow::addButtonKeys() {
    const auto bind = [this](Qt::Key key, CaptionButton button) {
        auto* shortcut = new QShortcut(QKeySequence(key), m_window);
        connect(shortcut, &QShortcut::activated, this, [this, button] {
            for (qsizetype i = 0; i < m_controls.elements().size(); ++i) {
                const CaptionControls::Element& element = m_controls[i];
                if (element.kind == CaptionControls::Element::Kind::Button &&
                    element.button == button && element.visible) {
                    act(i);
                    return;
                }
            }
        });
    };
    bind(Qt::Key_F1, CaptionButton::Help);
    bind(Qt::Key_F10, CaptionButton::MainMenu);
}

void FramedWindow::selectNeighbourTab(int step) {
    QList<qsizetype> tabs;
    for (qsizetype i = 0; i < m_controls.elements().size(); ++i) {
        if (m_controls[i].kind == CaptionControls::Element::Kind::Tab) {
            tabs << i;
        }
    }
    if (tabs.isEmpty()) {
        return;
    }
    const qsizetype at = tabs.indexOf(m_controls.selected);
    const qsizetype count = tabs.size();
    const qsizetype next = at < 0 ? 0 : ((at + step) % count + count) % count;
    selectElement(tabs[next]);
    QWidget* page = m_controls[tabs[next]].page;
    if (!page) {
        return;
    }
    // The first widget of the page that Tab would reach.
    for (QWidget* widget = page->nextInFocusChain(); widget && widget != page;
         widget = widget->nextInFocusChain()) {
        if (page->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) &&
            widget->isVisibleTo(m_window) && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

QRect FramedWindow::contentRect() const {
    return m_window ? geometry::contentRect(m_window->size(), m_settings.bannerHeight,
                                            m_settings.statusHeight)
                    : QRect();
}

void FramedWindow::redraw() {
    m_canvas.invalidate();
    if (m_window) {
        layOutButtons();
        m_helper.updateMask();
        m_window->update();
    }
}

void FramedWindow::layOutButtons() {
    m_controls.layOut(m_window ? m_window->width() : 0);
}

void FramedWindow::fitPage() {
    const QRect area = contentRect();
    for (const CaptionControls::Element& element : m_controls.elements()) {
        if (element.page) {
            element.page->setGeometry(area);
        }
    }
}

void FramedWindow::syncWindowState() {
    if (!m_window) {
        return;
    }
    m_maximized = m_window->isMaximized();
    frame_properties::mirrorWindowState(*m_window, m_maximized, m_window->isMinimized());
    m_controls.showMaximized(m_maximized);
    m_canvas.invalidate();
}

void FramedWindow::selectElement(qsizetype index) {
    if (!m_window || index < 0 || index >= m_controls.elements().size()) {
        return;
    }
    const qsizetype selected = m_controls.selected;
    if (selected >= 0 && selected != index && m_controls[selected].page) {
        m_controls[selected].page->hide();
    }
    m_controls.selected = index;
    QWidget* page = m_controls[index].page;
    frame_properties::mirrorSelectedPage(*m_window, page);
    if (page) {
        page->setGeometry(contentRect());
        page->show();
    }
    m_window->update();
    if (m_controls[index].kind == CaptionControls::Element::Kind::Tab) {
        frame_accessibility::tabSelected(*this, index);
    }
}

void FramedWindow::setHover(qsizetype index) {
    if (index == m_controls.hover || !m_window) {
        return;
    }
    if (m_controls.hover >= 0) {
        m_window->update(m_controls[m_controls.hover].rect);
    }
    m_controls.hover = index;
    if (index >= 0) {
        m_window->update(m_controls[index].rect);
    }
}

void FramedWindow::toggleMaximized() {
    m_helper.toggleMaximized();
    refreshWindowState();
}

void FramedWindow::refreshWindowState() {
    if (!m_window) {
        return;
    }
    syncWindowState();
    layOutButtons();
    m_helper.updateMask();
    m_window->update();
}

void FramedWindow::act(qsizetype index) {
    const CaptionControls::Element element = m_controls[index];
    if (element.kind == CaptionControls::Element::Kind::Tab) {
        selectElement(index);
        return;
    }
    QWidget* window = m_window;
    switch (element.button) {
        case CaptionButton::Close:
            window->close();
            break;
        case CaptionButton::Minimize:
            window->showMinimized();
            break;
        case CaptionButton::Maximize:
        case CaptionButton::Restore:
            toggleMaximized();
            break;
        case CaptionButton::MainMenu:
        case CaptionButton::Help: {
            // A copy: the handler may replace itself or close the window.
            const std::function<void()> handler =
                element.button == CaptionButton::Help ? m_onHelp : m_onMainMenu;
            if (handler) {
                handler();
            }
            break;
        }
    }
}

}  // namespace lanzhou::skin
