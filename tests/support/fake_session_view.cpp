#include "tests/support/fake_session_view.h"

#include <algorithm>
#include <utility>

namespace lanzhou::test {

void FakeSessionView::watchSession(const core::ClientSession* session) {
    std::lock_guard lock(m_mutex);
    m_session = session;
}

void FakeSessionView::setLoginForm(core::LoginFormState form) {
    std::lock_guard lock(m_mutex);
    m_form = std::move(form);
}

void FakeSessionView::openRegisterWindow(core::Credentials credentials) {
    std::lock_guard lock(m_mutex);
    m_registerWindow = std::move(credentials);
}

void FakeSessionView::openAccountServiceWindow(core::Credentials credentials) {
    std::lock_guard lock(m_mutex);
    m_accountServiceWindow = std::move(credentials);
}

std::vector<ViewCall> FakeSessionView::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<std::string> FakeSessionView::callNames() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    names.reserve(m_calls.size());
    for (const auto& call : m_calls) {
        names.push_back(call.name);
    }
    return names;
}

std::size_t FakeSessionView::count(std::string_view name) const {
    std::lock_guard lock(m_mutex);
    return countLocked(name);
}

std::size_t FakeSessionView::countLocked(std::string_view name) const {
    return static_cast<std::size_t>(
        std::count_if(m_calls.begin(), m_calls.end(),
                      [name](const ViewCall& call) { return call.name == name; }));
}

void FakeSessionView::clearCalls() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
    m_popupRecords.clear();
    m_popupNoticeHtml.clear();
}

std::optional<core::LoginWindowConfig> FakeSessionView::lastLoginConfig() const {
    std::lock_guard lock(m_mutex);
    return m_loginConfig;
}

std::optional<core::Credentials> FakeSessionView::loginCredentials() const {
    std::lock_guard lock(m_mutex);
    return m_loginCredentials;
}

std::string FakeSessionView::retrievedPassword() const {
    std::lock_guard lock(m_mutex);
    return m_retrievedPassword;
}

std::vector<core::PopupRecord> FakeSessionView::popupRecords() const {
    std::lock_guard lock(m_mutex);
    return m_popupRecords;
}

std::vector<std::string> FakeSessionView::popupNoticeHtml() const {
    std::lock_guard lock(m_mutex);
    return m_popupNoticeHtml;
}

bool FakeSessionView::waitForCall(std::string_view name, std::size_t times,
                                  std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_called.wait_for(lock, timeout, [&] { return countLocked(name) >= times; });
}

void FakeSessionView::record(std::string name, std::string text) {
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(ViewCall{std::move(name), std::move(text)});
    }
    m_called.notify_all();
}

void FakeSessionView::applyLoginConfig(const core::LoginWindowConfig& config) {
    {
        std::lock_guard lock(m_mutex);
        m_loginConfig = config;
    }
    record("applyLoginConfig", config.caption);
}

core::LoginFormState FakeSessionView::loginForm() const {
    std::lock_guard lock(m_mutex);
    return m_form;
}

void FakeSessionView::setLoginCredentials(const core::Credentials& credentials) {
    {
        std::lock_guard lock(m_mutex);
        m_loginCredentials = credentials;
        m_form.account = credentials.account;
        m_form.password = credentials.password;
    }
    record("setLoginCredentials", credentials.account);
}

void FakeSessionView::showBulletin(const std::string& pageHtml) {
    record("showBulletin", pageHtml);
}

void FakeSessionView::setRetrievedPassword(const std::string& password) {
    {
        std::lock_guard lock(m_mutex);
        m_retrievedPassword = password;
    }
    record("setRetrievedPassword", password);
}

std::optional<core::Credentials> FakeSessionView::takeRegisterWindowCredentials() {
    std::optional<core::Credentials> taken;
    {
        std::lock_guard lock(m_mutex);
        taken = std::exchange(m_registerWindow, std::nullopt);
    }
    record("takeRegisterWindowCredentials");
    return taken;
}

std::optional<core::Credentials> FakeSessionView::takeAccountServiceCredentials() {
    std::optional<core::Credentials> taken;
    {
        std::lock_guard lock(m_mutex);
        taken = std::exchange(m_accountServiceWindow, std::nullopt);
    }
    record("takeAccountServiceCredentials");
    return taken;
}

void FakeSessionView::showPrompt(const std::string& text) {
    record("showPrompt", text);
}

void FakeSessionView::showCountdownPrompt(const std::string& text) {
    record("showCountdownPrompt", text);
}

void FakeSessionView::enterMain() {
    record("enterMain");
}

void FakeSessionView::closeMainOrLogin() {
    record("closeMainOrLogin");
}

void FakeSessionView::offerUpdate() {
    record("offerUpdate");
}

void FakeSessionView::openPopup() {
    {
        std::lock_guard lock(m_mutex);
        if (m_session != nullptr) {
            m_popupRecords.push_back(m_session->popupRecord);
            m_popupNoticeHtml.push_back(m_session->popupNoticeHtml);
        }
    }
    record("openPopup");
}

void FakeSessionView::connectionClosed(const std::string& text) {
    record("connectionClosed", text);
}

void FakeSessionView::showReconnecting(int attempt, std::chrono::milliseconds delay) {
    record("showReconnecting", std::to_string(attempt) + " " + std::to_string(delay.count()));
}

void FakeSessionView::showReconnected() {
    record("showReconnected", "");
}

void FakeSessionView::showSummary(core::SummaryReason reason, int newAlerts) {
    record("showSummary",
           std::string(core::summaryReasonName(reason)) + " " + std::to_string(newAlerts));
}

}  // namespace lanzhou::test
