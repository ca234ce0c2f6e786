#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "client/core/summary.h"

namespace lanzhou::core {

struct ClientSession;

struct Credentials {
    std::string account;
    std::string password;
};

struct LoginFormState {
    std::string account;
    std::string password;
    bool remember = false;
};

// What the "#55" configuration changes on the login window.
struct LoginWindowConfig {
    std::string caption;
    std::int32_t labelColour = 0;
    bool hideBulletin = false;
    int height = 429;  // 309 when the bulletin is hidden
    bool showSupportQq = false;
    bool showSupportShopChat = false;
};

// The windows as the session core sees them. The desktop client implements
// it with its windows, lanzhou-cli with JSON lines. Every call comes on the
// session thread; texts are GBK.
class SessionView {
public:
    virtual ~SessionView() = default;

    // ---- login window
    virtual void applyLoginConfig(const LoginWindowConfig& config) = 0;
    virtual LoginFormState loginForm() const = 0;
    virtual void setLoginCredentials(const Credentials& credentials) = 0;
    // The bulletin as a complete page (small template), for the login browser.
    virtual void showBulletin(const std::string& pageHtml) = 0;

    // ---- account windows
    virtual void setRetrievedPassword(const std::string& password) = 0;
    // If the window is open: its account and password, and the window closed.
    virtual std::optional<Credentials> takeRegisterWindowCredentials() = 0;
    virtual std::optional<Credentials> takeAccountServiceCredentials() = 0;

    // ---- prompts (modal; they return when the member has closed them)
    virtual void showPrompt(const std::string& text) = 0;
    virtual void showCountdownPrompt(const std::string& text) = 0;

    // ---- session
    // The handshake's last answer ("#58") has been handled: a login sent now
    // is judged with the server's settings and time. The desktop client's
    // minimized start logs in here.
    virtual void handshakeDone() {}
    // Hides the login window and opens the main window.
    virtual void enterMain() = 0;
    // After a forced logout: closes the main window if open, else the login
    // window, which ends the program.
    virtual void closeMainOrLogin() = 0;
    // Offers the update (UpdateNoticeWindow).
    virtual void offerUpdate() = 0;
    // Opens (or reopens) the popup message window for the session's
    // PopupRecord and PopupNoticeHtml.
    virtual void openPopup() = 0;
    // The connection is gone: show the disconnect prompt, then end the
    // program.
    virtual void connectionClosed(const std::string& text) = 0;

    // ---- reconnection (when the member switched it on)
    // A lost connection is retried: attempt `attempt` (from 1) starts after
    // `delay`. The windows stay as they are; the status line says so.
    virtual void showReconnecting(int attempt, std::chrono::milliseconds delay) = 0;
    // Logged in again; the alert list request follows.
    virtual void showReconnected() = 0;
    // One popup instead of one per alert: `newAlerts` (more than 0) arrived
    // while popups could not be shown. No sound.
    virtual void showSummary(SummaryReason reason, int newAlerts) = 0;
};

}  // namespace lanzhou::core
