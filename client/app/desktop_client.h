#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/app/qt_scheduler.h"
#include "client/core/popup_kind.h"
#include "client/core/session_core.h"
#include "client/core/session_view.h"
#include "client/update/updater_handoff.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::account {
class AccountServiceWindow;
class LoginWindow;
class RegisterWindow;
}  // namespace lanzhou::account
namespace lanzhou::display {
class MainWindow;
class MessageWindow;
class PromptPresenter;
class SoundPlayer;
class WindowPromptPresenter;
}  // namespace lanzhou::display

namespace lanzhou::app {

// The desktop client put together: the frame, the sound, the prompts, the
// session core on the GUI thread and the windows. It is the core's
// SessionView: every effect of a server message arrives here on the GUI
// thread and goes to the window it concerns.
class DesktopClient final : public QObject, private core::SessionView {
    Q_OBJECT

public:
    struct Options {
        std::string runDirectory;  // GBK path text, no trailing separator
        std::optional<core::Endpoint> server;
        std::string authorityFile;  // --ca-file; empty: the system's authorities
        // Ends the program with an exit status; default: QCoreApplication::exit.
        std::function<void(int)> endProgram;
        // The prompts to use instead of the prompt windows (tests).
        display::PromptPresenter* prompts = nullptr;
        // The main window's expiry check period and tray (tests shorten and
        // force them).
        std::chrono::milliseconds expiryCheckPeriod{10'000};
        std::optional<bool> trayAvailable;
        // Starts the updater the member accepted (tests record instead);
        // default: a detached process.
        std::function<void(const update::UpdaterLaunch&)> startUpdater;
        // The run directory is the program's own folder, so the updater can
        // replace the program there. Otherwise (an installed package) a newer
        // version is only announced, once, for the package manager to install.
        bool programInRunDirectory = true;
        // --minimized: with remembered credentials the login window stays
        // hidden, the login goes out once the handshake is done and the main
        // window starts in the notification area; a refused login shows its
        // prompt, then the login window. Without them: the usual start.
        bool startMinimized = false;
        // How long the minimized start waits for the handshake before it
        // shows the login window after all (tests shorten it).
        std::chrono::milliseconds handshakeWait{20'000};
    };

    explicit DesktopClient(Options options);
    ~DesktopClient() override;

    // The start: the configuration, the login window, the connection and the
    // handshake's first request, the form, the frame and the skin. False when
    // the server could not be reached: the prompt has been shown and the
    // program ended.
    bool start();

    // Ends the program (status 0 unless given); callable from any thread.
    // No window asks for confirmation: this is also how a request to quit
    // from outside (the updater's) is taken.
    void endProgram(int code = 0);

    skin::SkinFrame& frame() { return m_frame; }
    core::SessionCore& core() { return *m_core; }
    account::LoginWindow* loginWindow() const;
    display::MainWindow* mainWindow() const;
    display::MessageWindow* popup() const;

protected:
    // The application's quit event (the system asking the program to end,
    // for example the quit message on Windows) ends the client at once,
    // without the windows' close confirmation.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- core::SessionView
    void applyLoginConfig(const core::LoginWindowConfig& config) override;
    core::LoginFormState loginForm() const override;
    void setLoginCredentials(const core::Credentials& credentials) override;
    void showBulletin(const std::string& pageHtml) override;
    void setRetrievedPassword(const std::string& password) override;
    std::optional<core::Credentials> takeRegisterWindowCredentials() override;
    std::optional<core::Credentials> takeAccountServiceCredentials() override;
    void showPrompt(const std::string& text) override;
    void showCountdownPrompt(const std::string& text) override;
    void handshakeDone() override;
    void enterMain() override;
    void closeMainOrLogin() override;
    void offerUpdate() override;
    void openPopup() override;
    void connectionClosed(const std::string& text) override;
    void showReconnecting(int attempt, std::chrono::milliseconds delay) override;
    void showReconnected() override;
    void showSummary(core::SummaryReason reason, int newAlerts) override;

    void createLoginWindow();
    // The minimized start's login did not get the member in: the login
    // window, as at a usual start.
    void showLoginAfterAutomaticLogin();
    void applySkin();
    // The account and settings windows, modal; each returns when it closes.
    void openRegisterWindow();
    void openRechargeWindow();
    void openAccountServiceWindow();
    void openSettingsWindow();
    // The support picture buttons: the messenger link to the desktop.
    void openSupportLink(bool shopChat);
    // The popup's details button, for the popup of this kind ("10" an
    // alert, "0" to "5" a notice of that channel).
    void showPopupDetails(core::PopupKind kind);
    // Opens the one popup with this fragment (GBK); its details button runs
    // `details`.
    void showMessageWindow(std::string fragment, std::function<void()> details);

    Options m_options;
    skin::SkinFrame m_frame;
    std::unique_ptr<display::SoundPlayer> m_sound;
    std::unique_ptr<display::WindowPromptPresenter> m_windowPrompts;
    display::PromptPresenter* m_prompts = nullptr;
    QtScheduler m_scheduler{*this};
    std::unique_ptr<account::LoginWindow> m_login;
    std::unique_ptr<display::MainWindow> m_main;
    // Open while their exec() runs; the adopt-account path takes their input
    // and closes them.
    QPointer<account::RegisterWindow> m_register;
    QPointer<account::AccountServiceWindow> m_accountService;
    QPointer<display::MessageWindow> m_popup;  // deletes itself when it closes
    std::unique_ptr<core::SessionCore> m_core;
    // The minimized start's own login: waiting for the handshake, sent, or
    // none (a usual start, or the login is through).
    enum class AutomaticLogin { None, AwaitingHandshake, Sent };
    AutomaticLogin m_automaticLogin = AutomaticLogin::None;
    bool m_ended = false;
    bool m_packageUpdateTold = false;
};

}  // namespace lanzhou::app
