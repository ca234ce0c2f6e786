#include "client/core/session_actions.h"

#include <cstddef>
#include <optional>
#include <string>

#include "client/core/client_session.h"
#include "client/core/html_templates.h"
#include "client/core/popup_gate.h"
#include "client/core/popup_rules.h"
#include "client/core/session_view.h"
#include "client/core/startup_settings.h"
#include "client/core/texts.h"
#include "client/core/version_check.h"

namespace lanzhou::core {

SessionActions::SessionActions(Scheduler& scheduler, ClientSession& session, SessionView& view,
                               const config::ConfigFile& config, PopupGate* popupGate)
    : m_session(session), m_view(view), m_config(config), m_popupGate(popupGate) {
    for (std::size_t i = 0; i < kSessionActionCount; ++i) {
        const auto action = static_cast<SessionAction>(i);
        m_actions[i] = scheduler.makeDeferredAction([this, action] { run(action); });
    }
}

void SessionActions::arm(SessionAction action) {
    const auto index = static_cast<std::size_t>(action);
    if (index < m_actions.size()) {
        m_actions[index]->arm();
    }
}

void SessionActions::run(SessionAction action) {
    switch (action) {
        case SessionAction::VersionCheck:
            m_view.showBulletin(composePage(smallPageTemplate(), m_session.loginBulletin));
            if (updateWanted(m_session.serverVersion, m_session.localVersion)) {
                m_session.promptText = gbk(text::kUpdateOffer);
                arm(SessionAction::UpdateOffer);
            }
            break;
        case SessionAction::UpdateOffer:
            m_view.offerUpdate();
            break;
        case SessionAction::Prompt:
            m_view.showPrompt(m_session.promptText);
            break;
        case SessionAction::AdoptAccount:
            m_view.showPrompt(m_session.promptText);
            // Whichever account window is still open hands its new
            // credentials to the login form, and they are stored whatever the
            // remember box says.
            if (auto credentials = m_view.takeRegisterWindowCredentials()) {
                m_view.setLoginCredentials(*credentials);
                storeAdoptedCredentials(m_config, *credentials);
            }
            if (auto credentials = m_view.takeAccountServiceCredentials()) {
                m_view.setLoginCredentials(*credentials);
                storeAdoptedCredentials(m_config, *credentials);
            }
            break;
        case SessionAction::EnterMain:
            m_view.enterMain();
            break;
        case SessionAction::ExpiredLogin: {
            m_view.showPrompt(m_session.promptText);
            const LoginFormState form = m_view.loginForm();
            if (form.remember) {
                rememberCredentials(m_config, Credentials{form.account, form.password});
            }
            m_view.enterMain();
            break;
        }
        case SessionAction::ForcedOffline:
            m_view.showCountdownPrompt(m_session.promptText);
            m_view.closeMainOrLogin();
            break;
        case SessionAction::AlertPopup:
            openPopupUnlessHeld();
            break;
        case SessionAction::NoticeArrived: {
            const auto& record = m_session.popupRecord;
            // No channel when an alert overwrote the record before this ran.
            const std::optional<std::size_t> channel = record.kind.noticeChannel();
            const bool disabled = channel && m_session.channels[*channel].disabled;
            if (noticeArrivedPopupWanted(disabled, record.texts[1], m_session.popupHint)) {
                openPopupUnlessHeld();
            }
            break;
        }
        case SessionAction::NoticeEdited:
            if (noticeEditedPopupWanted(m_session.popupRecord.texts[1], m_session.popupHint)) {
                openPopupUnlessHeld();
            }
            break;
    }
}

void SessionActions::openPopupUnlessHeld() {
    if (m_popupGate != nullptr && m_popupGate->holdsPopups()) {
        return;
    }
    m_view.openPopup();
}

}  // namespace lanzhou::core
