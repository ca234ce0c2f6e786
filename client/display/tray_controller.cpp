#include "client/display/tray_controller.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace lanzhou::display {

class TrayController::Impl final {
public:
    Impl(QWidget& window, QIcon icon, QString tooltip, bool trayAvailable)
        : m_window(&window),
          m_icon(std::move(icon)),
          m_tooltip(std::move(tooltip)),
          m_trayAvailable(trayAvailable) {}

    QPointer<QWidget> m_window;
    QIcon m_icon;
    QString m_tooltip;
    bool m_trayAvailable;
    QPointer<QSystemTrayIcon> m_trayIcon;  // only while the window is in the tray
    QMetaObject::Connection m_dpiWatch;
};

TrayController::TrayController(QWidget& window, QIcon icon, QString tooltip, QObject* parent)
    : TrayController(window, std::move(icon), std::move(tooltip),
                     QSystemTrayIcon::isSystemTrayAvailable(), parent) {}

TrayController::TrayController(QWidget& window, QIcon icon, QString tooltip, bool trayAvailable,
                               QObject* parent)
    : QObject(parent),
      m_impl(std::make_unique<Impl>(window, std::move(icon), std::move(tooltip), trayAvailable)) {
    window.installEventFilter(this);

    // The icon carries several sizes; setting it again after the screens
    // change lets the tray pick the one that fits the new resolution.
    const auto refreshIcon = [this] {
        if (m_impl->m_trayIcon) {
            m_impl->m_trayIcon->setIcon(m_impl->m_icon);
        }
    };
    const auto watchPrimary = [this, refreshIcon] {
        disconnect(m_impl->m_dpiWatch);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            m_impl->m_dpiWatch =
                connect(screen, &QScreen::logicalDotsPerInchChanged, this, refreshIcon);
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
    if (m_impl->m_window) {
        m_impl->m_window->removeEventFilter(this);
    }
    delete m_impl->m_trayIcon;
}

bool TrayController::inTray() const {
    return !m_impl->m_trayIcon.isNull();
}

const QSystemTrayIcon* TrayController::trayIcon() const {
    return m_impl->m_trayIcon;
}

void TrayController::restore() {
    QSystemTrayIcon* icon = m_impl->m_trayIcon;
    if (!icon) {
        return;  // not in the tray: the window is where the member left it
    }
    m_impl->m_trayIcon = nullptr;
    // The icon may be the sender of the activation that got us here.
    icon->hide();
    icon->deleteLater();

    QWidget* window = m_impl->m_window;
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

bool TrayController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && watched == m_impl->m_window &&
        m_impl->m_trayAvailable && m_impl->m_window->isMinimized()) {
        // Hidden once the state change is through: hiding a window inside
        // its own state change confuses some window managers.
        QMetaObject::invokeMethod(
            this,
            [this] {
                QWidget* window = m_impl->m_window;
                if (!window || !window->isMinimized() || m_impl->m_trayIcon) {
                    return;
                }
                window->hide();
                auto* icon = new QSystemTrayIcon(m_impl->m_icon, this);
                icon->setToolTip(m_impl->m_tooltip);
                connect(icon, &QSystemTrayIcon::activated, this, &TrayController::restore);
                m_impl->m_trayIcon = icon;
                icon->show();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace lanzhou::display
