#pragma once

#include <QIcon>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

class QSystemTrayIcon;
class QWidget;

namespace lanzhou::display {

// MinimizeToTray and RestoreFromTray for the main window: when the window is
// minimized it hides (leaving the task bar) and the tray icon appears with
// the product title as its tooltip; any activation of the icon (or
// restore()) shows the window again in the normal state, centred on its
// screen, and removes the icon. Without a system tray the window minimizes
// as usual.
class TrayController final : public QObject {
    Q_OBJECT

public:
    // `trayAvailable` defaults to QSystemTrayIcon::isSystemTrayAvailable().
    TrayController(QWidget& window, QIcon icon, QString tooltip, QObject* parent = nullptr);
    TrayController(QWidget& window, QIcon icon, QString tooltip, bool trayAvailable,
                   QObject* parent = nullptr);
    ~TrayController() override;

    bool inTray() const;                      // hidden in the notification area
    const QSystemTrayIcon* trayIcon() const;  // nullptr while not in the tray
    void restore();                           // RestoreFromTray
    // The window's first showing for a start without it: straight into the
    // notification area (the window stays hidden until restored), or
    // minimized where there is none.
    void showInTray();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Hides the window and shows the icon.
    void putInTray();

    QPointer<QWidget> m_window;
    QIcon m_icon;
    QString m_tooltip;
    bool m_trayAvailable;
    QPointer<QSystemTrayIcon> m_trayIcon;  // only while the window is in the tray
    QMetaObject::Connection m_dpiWatch;
};

}  // namespace lanzhou::display
