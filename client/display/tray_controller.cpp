#include "client/display/tray_controller.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace lanzhou::display {

TrayController::TrayController(QWidget& window, QIcon icon, QString tooltip, QObject* parent)
    : TrayController(window, std::move(icon), std::move(tooltip),
                     QSystemTrayIcon::isSystemTrayAvailable(), parent) {}

TrayController::TrayController(QWidget& window, QIcon icon, QString tooltip, bool trayAvailable,
                               QObject* parent)
    : QObject(parent),
      m_window(&window),
      m_icon(std::move(icon)),
      m_tooltip(std::move(tooltip)),
      m_trayAvailable(trayAvailable) {
    window.installEventFilter(this);

    // The icon carries several sizes; setting it again after the screens
    // change lets the tray pick the one that fits the new resolution.
    const auto refreshIcon = [this] {
        if (m_trayIcon) {
            m_trayIcon->setIcon(m_icon);
        }
    };
    const auto watchPrimary = [this, refreshIcon] {
        disconnect(m_dpiWatch);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            m_dpiWatch = connect(screen, &QScreen::logicalDotsPerInchChanged, this, refreshIcon);
        }
    };
    watchPrimary();
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application) {
        connect(application, &QGuiApplication::primaryScreenChanged, this,
                [watchPrimary, refreshIcon] {
                    watchPrimary();
                    refreshIcon();
                });
        connect(application, &QGuiApplication::screenAdded, this, refreshIcon);
        connect(application, &QGuiApplication::screenRemoved, this, refreshIcon);
    }
}

TrayController::~TrayController() {
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    delete m_trayIcon;
}

bool TrayController::inTray() const {
    return !m_trayIcon.isNull();
}

const QSystemTrayIcon* TrayController::trayIcon() const {
    return m_trayIcon;
}

void TrayController::restore() {
    QSystemTrayIcon* icon = m_trayIcon;
    if (!icon) {
        return;  // not in the tray: the window is where the member left it
    }
    m_trayIcon = nullptr;
    // The icon may be the sender of the activation that got us here.
    icon->hide();
    icon->deleteLater();

    QWidget* window = m_window;
    if (!window) {
        return;
    }
    window->show();
    window->showNormal();
    if (const QScreen* screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = window->frameGeometry().size();
        window->move(available.left() + (available.width() - size.width()) / 2,
                     available.top() + (available.height() - size.height()) / 2);
    }
    window->raise();
    window->activateWindow();
}

void TrayController::showInTray() {
    if (!m_window) {
        return;
    }
    if (m_trayAvailable) {
        putInTray();
    } else {
        m_window->showMinimized();
    }
}

void TrayController::putInTray() {
    if (m_trayIcon) {
        return;
    }
    m_window->hide();
    auto* icon = new QSystemTrayIcon(m_icon, this);
    icon->setToolTip(m_tooltip);
    connect(icon, &QSystemTrayIcon::activated, this, &TrayController::restore);
    m_trayIcon = icon;
    icon->show();
}

bool TrayController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && watched == m_window && m_trayAvailable &&
        m_window->isMinimized()) {
        // Hidden once the state change is through: hiding a window inside
        // its own state change confuses some window managers.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_window && m_window->isMinimized()) {
                    putInTray();
                }
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace lanzhou::display
