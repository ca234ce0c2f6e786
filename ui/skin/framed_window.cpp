#include "ui/skin/framed_window.h"

#include "ui/skin/frame_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>

#include <algorithm>

namespace lanzhou::skin {
namespace {

using namespace geometry;

int intProperty(const QWidget* window, const char* name) {
    return window ? window->property(name).toInt() : 0;
}

bool windowManagerMaximizes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

QSize buttonSize(CaptionButton button) {
    return button == CaptionButton::Close ? kCloseButton : kCaptionButton;
}

}  // namespace

FramedWindow::FramedWindow(QWidget* window, const FrameLook& look, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_ownFlags(window->windowFlags()),
      m_look(look),
      m_dragger(window) {
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
    window->setProperty("ZaderEdav_WndProc", true);
    window->installEventFilter(this);
}

FramedWindow::~FramedWindow() {
    if (m_window) {
        m_window->removeEventFilter(this);
        if (m_cursorSet) {
            m_window->unsetCursor();
        }
    }
}

void FramedWindow::applyOptions(const AttachOptions& options) {
    QWidget* window = m_window;
    if (!window) {
        return;
    }
    const Qt::WindowFlags flags = m_ownFlags;
    const bool minimize =
        options.minimizeButton.value_or(flags.testFlag(Qt::WindowMinimizeButtonHint));
    const bool maximize =
        options.maximizeButton.value_or(flags.testFlag(Qt::WindowMaximizeButtonHint));
    window->setProperty("Vuziz_BannerHeight",
                        std::max(options.bannerHeight.value_or(kDefaultBanner), kMinimumBanner));
    window->setProperty("Vuziz_StatusHeight",
                        std::max(options.statusHeight.value_or(kDefaultStatus), 0));
    window->setProperty("Vuziz_MaximizeBox", maximize ? 1 : 0);
    window->setProperty("Vuziz_bSizeBox", options.sizeBox ? 1 : 0);
    window->setProperty("Vuziz_MinWidth", std::max(options.minimumWidth, 0));
    window->setProperty("Vuziz_MinHeight", std::max(options.minimumHeight, 0));
    if (options.minimumWidth > 0 || options.minimumHeight > 0) {
        window->setMinimumSize(
            window->minimumSize().expandedTo(QSize(options.minimumWidth, options.minimumHeight)));
    }

    // The caption buttons in their order, before the tabs.
    QList<CaptionButton> buttons{CaptionButton::Close};
    if (maximize) {
        buttons << CaptionButton::Maximize << CaptionButton::Restore;
    }
    if (minimize) {
        buttons << CaptionButton::Minimize;
    }
    if (options.mainMenuButton) {
        buttons << CaptionButton::MainMenu;
    }
    if (options.helpButton) {
        buttons << CaptionButton::Help;
    }
    const auto oldButtons =
        std::count_if(m_elements.cbegin(), m_elements.cend(),
                      [](const auto& e) { return e.kind == Element::Kind::Button; });
    m_elements.remove(0, oldButtons);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        Element element;
        element.button = buttons[i];
        m_elements.insert(i, element);
    }
    if (m_selected >= 0) {
        m_selected += buttons.size() - oldButtons;
    }
    m_hover = -1;
    m_pressed = -1;
    syncWindowState();
    fitPage();
    redraw();
}

void FramedWindow::setIndex(int index) {
    if (m_window) {
        m_window->setProperty("Vuziz_DUIIndex", index);
    }
}

void FramedWindow::setStatusText(const QString& text) {
    m_statusText = text;
    if (m_window && statusHeight() > 0) {
        m_window->update(statusTextRect(m_window->size(), statusHeight()));
    }
}

void FramedWindow::addTab(const QPixmap& icon, const QString& title, QWidget* page) {
    if (!m_window) {
        return;
    }
    if (bannerHeight() < kTabBanner) {
        m_window->setProperty("Vuziz_BannerHeight", kTabBanner);
        m_backgroundStale = true;
    }
    Element tab;
    tab.kind = Element::Kind::Tab;
    tab.rect = geometry::tabRect(int(tabTitles().size()));
    tab.title = title;
    tab.icon = icon;
    tab.page = page;
    m_elements.append(tab);
    if (page) {
        page->setParent(m_window);
        page->hide();
    }
    fitPage();
    m_window->update();
}

void FramedWindow::selectTab(const QString& title) {
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].kind == Element::Kind::Tab && m_elements[i].title == title) {
            selectElement(i);
            return;
        }
    }
}

QString FramedWindow::selectedTab() const {
    return m_selected >= 0 ? m_elements[m_selected].title : QString();
}

QStringList FramedWindow::tabTitles() const {
    QStringList titles;
    for (const Element& element : m_elements) {
        if (element.kind == Element::Kind::Tab) {
            titles << element.title;
        }
    }
    return titles;
}

std::optional<QRect> FramedWindow::captionButtonRect(CaptionButton button) const {
    // From the current width: a hidden window gets no resize events.
    const QList<QRect> rects = buttonRects();
    qsizetype next = 0;
    for (const Element& element : m_elements) {
        if (element.kind == Element::Kind::Button && element.visible) {
            if (element.button == button) {
                return rects[next];
            }
            ++next;
        }
    }
    return std::nullopt;
}

std::optional<QRect> FramedWindow::tabRect(const QString& title) const {
    for (const Element& element : m_elements) {
        if (element.kind == Element::Kind::Tab && element.title == title) {
            return element.rect;
        }
    }
    return std::nullopt;
}

QRect FramedWindow::contentRect() const {
    return m_window ? geometry::contentRect(m_window->size(), bannerHeight(), statusHeight())
                    : QRect();
}

void FramedWindow::redraw() {
    m_backgroundStale = true;
    if (m_window) {
        layoutButtons();
        updateMask();
        m_window->update();
    }
}

int FramedWindow::bannerHeight() const {
    return intProperty(m_window, "Vuziz_BannerHeight");
}
int FramedWindow::statusHeight() const {
    return intProperty(m_window, "Vuziz_StatusHeight");
}
bool FramedWindow::maximized() const {
    return m_window && m_window->isMaximized();
}
bool FramedWindow::sizeBox() const {
    return intProperty(m_window, "Vuziz_bSizeBox") == 1;
}
bool FramedWindow::hasMaximizeBox() const {
    return intProperty(m_window, "Vuziz_MaximizeBox") == 1;
}

QSize FramedWindow::minimumSize() const {
    return QSize(intProperty(m_window, "Vuziz_MinWidth"), intProperty(m_window, "Vuziz_MinHeight"))
        .expandedTo(m_window ? m_window->minimumSize() : QSize());
}

QList<QRect> FramedWindow::buttonRects() const {
    QList<QSize> sizes;
    for (const Element& element : m_elements) {
        if (element.kind == Element::Kind::Button && element.visible) {
            sizes << buttonSize(element.button);
        }
    }
    return captionButtonLayout(m_window ? m_window->width() : 0, sizes);
}

void FramedWindow::layoutButtons() {
    const QList<QRect> rects = buttonRects();
    qsizetype next = 0;
    for (Element& element : m_elements) {
        if (element.kind == Element::Kind::Button && element.visible) {
            element.rect = rects[next++];
        }
    }
}

void FramedWindow::fitPage() {
    const QRect area = contentRect();
    for (const Element& element : m_elements) {
        if (element.page) {
            element.page->setGeometry(area);
        }
    }
}

void FramedWindow::updateMask() {
    if (!m_window) {
        return;
    }
    const bool square = m_window->isMaximized() || m_window->isFullScreen();
    const QRegion wanted = square ? QRegion() : roundedMask(m_window->size(), kCornerRadius);
    if (m_window->mask() != wanted) {
        if (wanted.isEmpty()) {
            m_window->clearMask();
        } else {
            m_window->setMask(wanted);
        }
    }
}

void FramedWindow::syncWindowState() {
    if (!m_window) {
        return;
    }
    const bool isMaximized = m_window->isMaximized();
    m_window->setProperty("Vuziz_Maximize", isMaximized ? 1 : 0);
    m_window->setProperty("Vuziz_bMinimize", m_window->isMinimized() ? 1 : 0);
    for (Element& element : m_elements) {
        if (element.button == CaptionButton::Maximize && element.kind == Element::Kind::Button) {
            element.visible = !isMaximized;
        } else if (element.button == CaptionButton::Restore &&
                   element.kind == Element::Kind::Button) {
            element.visible = isMaximized;
        }
    }
    m_hover = -1;
    m_backgroundStale = true;
}

void FramedWindow::selectElement(qsizetype index) {
    if (!m_window || index < 0 || index >= m_elements.size()) {
        return;
    }
    if (m_selected >= 0 && m_selected != index && m_elements[m_selected].page) {
        m_elements[m_selected].page->hide();
    }
    m_selected = index;
    QWidget* page = m_elements[index].page;
    m_window->setProperty("Vuziz_hWndChild", QVariant::fromValue(page));
    if (page) {
        page->setGeometry(contentRect());
        page->show();
    }
    m_window->update();
}

qsizetype FramedWindow::elementAt(QPoint pos) const {
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].visible && m_elements[i].rect.contains(pos)) {
            return i;
        }
    }
    return -1;
}

bool FramedWindow::inDragArea(QPoint pos) const {
    if (!m_window || !m_window->rect().contains(pos)) {
        return false;
    }
    const int status = statusHeight();
    return pos.y() < bannerHeight() || (status > 0 && pos.y() >= m_window->height() - status);
}

void FramedWindow::setHover(qsizetype index) {
    if (index == m_hover || !m_window) {
        return;
    }
    if (m_hover >= 0) {
        m_window->update(m_elements[m_hover].rect);
    }
    m_hover = index;
    if (m_hover >= 0) {
        m_window->update(m_elements[m_hover].rect);
    }
}

void FramedWindow::toggleMaximized() {
    QWidget* window = m_window;
    if (!window) {
        return;
    }
    // Setting the geometry of a maximized window ends that state: restoring
    // sets the state first, maximizing the geometry first.
    if (window->isMaximized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
        if (m_normalGeometry.isValid()) {
            window->setGeometry(m_normalGeometry);
        }
    } else {
        m_normalGeometry = window->geometry();
        // The work area, so that the task bar stays visible. X11 and Wayland
        // window managers do that themselves, and restore the geometry they
        // saw before maximizing, which must stay the normal one.
        QScreen* screen = window->screen();
        if (screen && !windowManagerMaximizes()) {
            window->setGeometry(screen->availableGeometry());
        }
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    }
    refreshWindowState();
}

void FramedWindow::refreshWindowState() {
    if (!m_window) {
        return;
    }
    syncWindowState();
    layoutButtons();
    updateMask();
    m_window->update();
}

void FramedWindow::act(qsizetype index) {
    const Element element = m_elements[index];
    if (element.kind == Element::Kind::Tab) {
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
