#pragma once

#include <array>
#include <memory>

#include "client/core/scheduler.h"

namespace lanzhou::config {
class ConfigFile;
}

namespace lanzhou::core {

class PopupGate;
class SessionView;
struct ClientSession;

// The one-shot actions the dispatcher arms; each runs on the session thread
// about 10 ms after its last arming and reads the session as it is then.
enum class SessionAction {
    VersionCheck,   // bulletin into the login browser; arms UpdateOffer when newer
    UpdateOffer,    // UpdateNoticeWindow
    Prompt,         // PromptWindow with PromptText
    AdoptAccount,   // prompt, then the new credentials into the login form
    EnterMain,      // hide login, open main
    ExpiredLogin,   // prompt, remember if ticked, enter main
    ForcedOffline,  // countdown prompt, then close main (or login)
    AlertPopup,     // reopen the popup for the alert in PopupRecord
    NoticeArrived,  // popup unless the channel is disabled, by the popup rule
    NoticeEdited,   // popup by the popup rule
};
inline constexpr std::size_t kSessionActionCount = 10;

// Lets the dispatcher arm actions without knowing how they run (tests record
// the arms instead).
class ActionArmer {
public:
    virtual ~ActionArmer() = default;
    virtual void arm(SessionAction action) = 0;
};

// The real actions: coalescing one-shots on the scheduler, whose work is the
// window side of each answer.
class SessionActions final : public ActionArmer {
public:
    // `popupGate`, when given, is asked before every popup.
    SessionActions(Scheduler& scheduler, ClientSession& session, SessionView& view,
                   const config::ConfigFile& config, PopupGate* popupGate = nullptr);
    void arm(SessionAction action) override;

private:
    void run(SessionAction action);
    void openPopupUnlessHeld();

    ClientSession& m_session;
    SessionView& m_view;
    const config::ConfigFile& m_config;
    PopupGate* m_popupGate;
    std::array<std::unique_ptr<DeferredAction>, kSessionActionCount> m_actions;
};

}  // namespace lanzhou::core
