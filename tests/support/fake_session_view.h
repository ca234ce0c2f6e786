#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/client_session.h"
#include "client/core/session_view.h"

namespace lanzhou::test {

// One call made on the view: its name (the method's) and its text argument,
// when it has one (prompt texts, the bulletin page, the password).
struct ViewCall {
    std::string name;
    std::string text;

    friend bool operator==(const ViewCall&, const ViewCall&) = default;
};

// A SessionView that logs every call. The login form and the open account
// windows are what the test sets. Given the session, openPopup() keeps a
// copy of what the popup would show at that moment. Calls may come from
// another thread (a real event loop); waitForCall() waits for them.
class FakeSessionView final : public core::SessionView {
public:
    FakeSessionView() = default;
    explicit FakeSessionView(const core::ClientSession* session) : m_session(session) {}

    void watchSession(const core::ClientSession* session);

    // ---- what the test arranges
    void setLoginForm(core::LoginFormState form);
    void openRegisterWindow(core::Credentials credentials);
    void openAccountServiceWindow(core::Credentials credentials);

    // ---- what the test inspects
    std::vector<ViewCall> calls() const;
    std::vector<std::string> callNames() const;
    std::size_t count(std::string_view name) const;
    void clearCalls();
    std::optional<core::LoginWindowConfig> lastLoginConfig() const;
    std::optional<core::Credentials> loginCredentials() const;
    std::string retrievedPassword() const;
    std::vector<core::PopupRecord> popupRecords() const;
    std::vector<std::string> popupNoticeHtml() const;

    // Waits until `name` has been called at least `times` times.
    bool waitForCall(std::string_view name, std::size_t times = 1,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // ---- SessionView
    void applyLoginConfig(const core::LoginWindowConfig& config) override;
    core::LoginFormState loginForm() const override;
    void setLoginCredentials(const core::Credentials& credentials) override;
    void showBulletin(const std::string& pageHtml) override;
    void setRetrievedPassword(const std::string& password) override;
    std::optional<core::Credentials> takeRegisterWindowCredentials() override;
    std::optional<core::Credentials> takeAccountServiceCredentials() override;
    void showPrompt(const std::string& text) override;
    void showCountdownPrompt(const std::string& text) override;
    void enterMain() override;
    void closeMainOrLogin() override;
    void offerUpdate() override;
    void openPopup() override;
    void connectionClosed(const std::string& text) override;
    // Logged as "attempt delay_ms", "" and "reason new_alerts".
    void showReconnecting(int attempt, std::chrono::milliseconds delay) override;
    void showReconnected() override;
    void showSummary(core::SummaryReason reason, int newAlerts) override;

private:
    void record(std::string name, std::string text = {});
    std::size_t countLocked(std::string_view name) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_called;
    const core::ClientSession* m_session = nullptr;
    std::vector<ViewCall> m_calls;
    core::LoginFormState m_form;
    std::optional<core::Credentials> m_registerWindow;
    std::optional<core::Credentials> m_accountServiceWindow;
    std::optional<core::LoginWindowConfig> m_loginConfig;
    std::optional<core::Credentials> m_loginCredentials;
    std::string m_retrievedPassword;
    std::vector<core::PopupRecord> m_popupRecords;
    std::vector<std::string> m_popupNoticeHtml;
};

}  // namespace lanzhou::test
