#pragma once

#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/core/user_type.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {
class AlertListModel;
}
namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::display {

class AlertPage;
class PromptPresenter;
class TrayController;
class WebLinkPage;

// The window a member works with after logging in: the frame with its tab
// strip (the alert tab "股票预警" and the web-link pages), the status text,
// the expiry check for paying members, minimizing into the notification
// area. Closing it asks for confirmation; a confirmed close ends the
// program. Design size 951 x 612 (also its minimum).
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    struct Setup {
        QString title;   // ProductTitle
        QString status;  // the account line of the status bar
        core::UserType userType;
        core::AlertListModel* alerts = nullptr;
        protocol::WebPageTable webPages{};
        std::function<core::UserType()> currentUserType;  // for the pages' permission test
        std::string runDirectory;                         // GBK path text: ico/ lives there
        // The expiry check's question, asked every ten seconds for paying
        // members: has the membership run out?
        std::function<bool()> membershipExpired;
        std::chrono::milliseconds expiryCheckPeriod{10'000};
        // Whether minimizing goes to the notification area; unset: whether
        // the desktop has one.
        std::optional<bool> trayAvailable;
        std::function<void()> openSettings;        // the frame's main-menu button
        std::function<void()> openAccountService;  // the frame's help button
    };

    static constexpr const char* kAlertTabTitle = "股票预警";

    MainWindow(skin::SkinFrame& frame, PromptPresenter& prompts, Setup setup,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // ShowLatestAlert: the alert tab selected, the newest today row shown.
    void showLatestAlert();
    // Selects the tab with this title; none such: no change.
    void selectTab(const QString& title);
    // Brings the window back for the member, wherever it is: out of the
    // notification area (RestoreFromTray), out of the minimized state, in
    // front of other windows and active (the member asked for it, so taking
    // the focus is right).
    void bringToFront();
    bool inTray() const;
    // The status bar's text: the account line, or what the connection is doing.
    void setStatusText(const QString& text);
    QString statusText() const;

    AlertPage& alertPage();
    QList<WebLinkPage*> webLinkPages() const;
    TrayController& tray();

signals:
    // The member confirmed the close.
    void closedByMember();
    // The membership ran out: the countdown prompt was shown; the program ends.
    void membershipEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void addTabs(const Setup& setup);
    void checkExpiry();

    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::display
