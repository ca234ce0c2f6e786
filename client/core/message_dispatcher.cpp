#include "client/core/message_dispatcher.h"

#include <charconv>
#include <cstddef>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/connection_keeper.h"
#include "client/core/expiry.h"
#include "client/core/heartbeat.h"
#include "client/core/notice_fragment.h"
#include "client/core/popup_rules.h"
#include "client/core/request_sender.h"
#include "client/core/session_actions.h"
#include "client/core/session_view.h"
#include "client/core/startup_settings.h"
#include "client/core/texts.h"
#include "client/core/version_check.h"
#include "protocol/gbk_text.h"
#include "protocol/packed_payload.h"

namespace lanzhou::core {

namespace {

using protocol::ServerCode;

// The body of the expected type, or null when the message did not have the
// layout its code requires.
template <typename T>
const T* bodyOf(const protocol::ServerMessage& message) {
    return std::get_if<T>(&message.body);
}

// The fixed texts of the account answers and the action each arms.
struct AccountAnswer {
    ServerCode code;
    std::string_view text;
    SessionAction action;
};

constexpr AccountAnswer kAccountAnswers[] = {
    {ServerCode::RegisterDuplicateMachine, text::kDuplicateMachine, SessionAction::Prompt},
    {ServerCode::RegisterAccountExists, text::kAccountExists, SessionAction::Prompt},
    {ServerCode::RegisterFailed, text::kRegisterFailed, SessionAction::Prompt},
    {ServerCode::RegisterSucceeded, text::kRegisterSucceeded, SessionAction::AdoptAccount},
    {ServerCode::RechargeBadAccount, text::kRechargeBadAccount, SessionAction::Prompt},
    {ServerCode::RechargeBadPassword, text::kRechargeBadPassword, SessionAction::Prompt},
    {ServerCode::RechargeBadCard, text::kRechargeBadCard, SessionAction::Prompt},
    {ServerCode::RechargeCardExpired, text::kRechargeCardExpired, SessionAction::Prompt},
    {ServerCode::RechargeFailed, text::kRechargeFailed, SessionAction::Prompt},
    {ServerCode::RechargeSucceeded, text::kRechargeSucceeded, SessionAction::Prompt},
    {ServerCode::UserDataWrong, text::kUserDataWrong, SessionAction::Prompt},
    {ServerCode::PasswordChangeFailed, text::kPasswordChangeFailed, SessionAction::Prompt},
    {ServerCode::PasswordChanged, text::kPasswordChanged, SessionAction::AdoptAccount},
};

// The handlers of one message; a short-lived view of the context.
class Handlers final {
public:
    explicit Handlers(const DispatcherContext& context) : c(context) {}

    // Takes texts out of the message where that saves copying them.
    void handle(protocol::ServerMessage& message);
    // "#ai" and "#aj".
    void alert(ServerCode code, const protocol::AlertFields& alert, const protocol::DateTime& now);

private:
    void version(const protocol::ServerMessage& message);
    void sessionConfig(const protocol::ServerMessage& message);
    void bulletin(const protocol::ServerMessage& message);
    void serverTime(const protocol::ServerMessage& message);
    void channels(const protocol::ServerMessage& message);
    void webPages(const protocol::ServerMessage& message);
    void loginAccepted(const protocol::LoginAccepted& login);
    void enter(const LoginFormState& form);
    void refuseLogin(std::string_view utf8Text);
    void retrievedPassword(const protocol::ServerMessage& message);
    bool forThisAudience(const protocol::AlertFields& alert) const;
    bool fillAlertPopup(const protocol::AlertFields& alert);
    void notice(const protocol::NoticeRecord& record, SessionAction action);
    void prompt(std::string_view utf8Text, SessionAction action);

    const DispatcherContext& c;
};

void Handlers::handle(protocol::ServerMessage& message) {
    switch (message.code) {
        case ServerCode::Version:
            version(message);
            return;
        case ServerCode::SessionConfig:
            sessionConfig(message);
            return;
        case ServerCode::Bulletin:
            bulletin(message);
            return;
        case ServerCode::ServerTime:
            serverTime(message);
            return;
        case ServerCode::Channels:
            channels(message);
            return;
        case ServerCode::WebPages:
            webPages(message);
            return;
        case ServerCode::LoginAccepted:
            if (const auto* login = bodyOf<protocol::LoginAccepted>(message)) {
                loginAccepted(*login);
            }
            return;
        case ServerCode::PasswordRetrieved:
            retrievedPassword(message);
            return;
        case ServerCode::LoggedInElsewhere:
            if (c.keeper != nullptr) {
                c.keeper->sentAway();
            }
            c.session.promptText = gbk(text::kLoggedInElsewhere);
            c.actions.arm(SessionAction::ForcedOffline);
            c.sender.sendRequest(protocol::request::kLogout);
            return;
        case ServerCode::KickedByAdministrator:
            if (c.keeper != nullptr) {
                c.keeper->sentAway();
            }
            c.sender.sendRequest(protocol::request::kLogout);
            c.actions.arm(SessionAction::ForcedOffline);
            c.session.promptText = gbk(text::kKickedByAdministrator);
            return;
        case ServerCode::AlertAdded:
        case ServerCode::AlertChanged:
            // Read as fields by dispatch(), before any message is built.
            return;
        case ServerCode::AlertsRemoved:
            if (const auto* ids = bodyOf<std::vector<std::string>>(message)) {
                c.alerts.remove(*ids);
            }
            return;
        case ServerCode::NoticeAdded:
            if (const auto* record = bodyOf<protocol::NoticeRecord>(message)) {
                notice(*record, SessionAction::NoticeArrived);
            }
            return;
        case ServerCode::NoticeChanged:
            if (const auto* record = bodyOf<protocol::NoticeRecord>(message)) {
                notice(*record, SessionAction::NoticeEdited);
            }
            return;
        case ServerCode::NoticesRemoved:
            return;  // the client keeps no notices
        case ServerCode::AlertList:
            if (const auto* records = bodyOf<std::vector<protocol::AlertRecord>>(message)) {
                c.alerts.replaceAll(*records, c.session.serverTime.now());
            } else {
                // A list without records empties both lists.
                c.alerts.replaceAll({}, c.session.serverTime.now());
            }
            if (c.keeper != nullptr) {
                const auto* records = bodyOf<std::vector<protocol::AlertRecord>>(message);
                c.keeper->listReplaced(records != nullptr
                                           ? std::span<const protocol::AlertRecord>(*records)
                                           : std::span<const protocol::AlertRecord>());
            }
            return;
        case ServerCode::LoginRefused:
            refuseLogin(text::kLoginFailed);
            return;
        case ServerCode::Unknown:
            return;
        default:
            break;
    }
    for (const auto& answer : kAccountAnswers) {
        if (answer.code == message.code) {
            prompt(answer.text, answer.action);
            return;
        }
    }
}

void Handlers::version(const protocol::ServerMessage& message) {
    // ver.txt is read before the count test: a malformed "#54" still
    // refreshes the local version.
    c.session.localVersion = readLocalVersion(c.session.runDirectory);
    if (const auto* info = bodyOf<protocol::VersionInfo>(message)) {
        c.session.serverVersion = info->serverVersion;
        c.session.updateArgument = info->updateArgument;
    }
    c.sender.sendRequest(protocol::request::kSessionConfig);
}

void Handlers::sessionConfig(const protocol::ServerMessage& message) {
    if (const auto* config = bodyOf<protocol::SessionConfig>(message)) {
        auto& settings = c.session.settings;
        mergeSessionConfig(settings, *config);
        LoginWindowConfig window;
        window.caption = config->productTitle;
        window.labelColour = config->labelColour;
        window.hideBulletin = config->loginBulletinHidden;
        window.height = config->loginBulletinHidden ? 309 : 429;
        // A contact button, once shown by an earlier message, stays shown: the
        // kept contact is only replaced by a non-empty one.
        window.showSupportQq = !settings.supportQq.empty();
        window.showSupportShopChat = !settings.supportShopChat.empty();
        c.view.applyLoginConfig(window);
        c.heartbeat.start(settings.heartbeatSeconds);
    }
    c.sender.sendRequest(protocol::request::kBulletin);
}

void Handlers::bulletin(const protocol::ServerMessage& message) {
    if (const auto* html = bodyOf<std::string>(message)) {
        c.session.loginBulletin = *html;
        c.actions.arm(SessionAction::VersionCheck);
    }
    c.sender.sendRequest(protocol::request::kServerTime);
}

void Handlers::serverTime(const protocol::ServerMessage& message) {
    const auto* time = bodyOf<protocol::DateTime>(message);
    c.session.serverTime.start(time != nullptr ? *time : protocol::DateTime::null());
    c.sender.sendRequest(protocol::request::kChannels);
}

void Handlers::channels(const protocol::ServerMessage& message) {
    if (const auto* table = bodyOf<protocol::ChannelTable>(message)) {
        for (std::size_t k = 0; k < table->size(); ++k) {
            auto& kept = c.session.channels[k];
            const auto& incoming = (*table)[k];
            kept.name = incoming.name;
            kept.openToFreeUsers = kept.openToFreeUsers || incoming.openToFreeUsers;
            kept.disabled = kept.disabled || incoming.disabled;
        }
    }
    c.sender.sendRequest(protocol::request::kWebPages);
}

void Handlers::webPages(const protocol::ServerMessage& message) {
    if (const auto* table = bodyOf<protocol::WebPageTable>(message)) {
        for (std::size_t k = 0; k < table->size(); ++k) {
            auto& kept = c.session.webPages[k];
            const auto& incoming = (*table)[k];
            kept.name = incoming.name;
            kept.address = incoming.address;
            kept.openToFreeUsers = kept.openToFreeUsers || incoming.openToFreeUsers;
            kept.hidden = kept.hidden || incoming.hidden;
        }
    }
    c.view.handshakeDone();
    if (c.keeper != nullptr) {
        c.keeper->handshakeDone();
    }
}

void Handlers::loginAccepted(const protocol::LoginAccepted& login) {
    auto& session = c.session;
    const auto& settings = session.settings;

    if (settings.machineBinding && login.boundAdapter != "0") {
        const std::string here = c.adapterAddress ? c.adapterAddress() : std::string{};
        if (here != login.boundAdapter) {
            refuseLogin(text::kWrongMachine);
            return;
        }
    }

    // Logging in again after a lost connection: the session's credentials.
    std::optional<LoginFormState> relogin;
    if (c.keeper != nullptr) {
        relogin = c.keeper->reloginForm();
    }
    const LoginFormState form = relogin ? *relogin : c.view.loginForm();
    session.accountName = form.account;
    session.expiryTime = login.expiry;
    session.userType = UserType{login.userType};

    if (loginIsCurrent(session.userType, session.expiryTime, session.serverTime.now())) {
        enter(form);
        return;
    }
    if (settings.refuseUnpaid) {
        if (session.userType == kFreeUser) {
            refuseLogin(text::kUnpaidRefused);
        } else if (session.userType == kPayingUser) {
            refuseLogin(text::kExpiredRefused);
        }
        c.sender.sendRequest(protocol::request::kLogout);
        return;
    }
    if (session.userType == kFreeUser) {
        enter(form);
    } else if (session.userType == kPayingUser) {
        session.userType = kFreeUser;  // an expired member is let in as a free user
        if (c.keeper != nullptr) {
            c.keeper->loggedIn();
        }
        prompt(text::kExpiredLetIn, SessionAction::ExpiredLogin);
    }
}

void Handlers::enter(const LoginFormState& form) {
    if (form.remember) {
        rememberCredentials(c.config, Credentials{form.account, form.password});
    }
    if (c.keeper != nullptr) {
        c.keeper->loggedIn();
    }
    c.actions.arm(SessionAction::EnterMain);
}

void Handlers::refuseLogin(std::string_view utf8Text) {
    c.session.promptText = gbk(utf8Text);
    if (c.keeper != nullptr && c.keeper->endOnRefusal()) {
        return;  // the keeper shows the prompt, then ends the session
    }
    c.actions.arm(SessionAction::Prompt);
}

void Handlers::retrievedPassword(const protocol::ServerMessage& message) {
    const auto* body = bodyOf<std::string>(message);
    const std::string password = body != nullptr ? *body : std::string{};
    c.view.setRetrievedPassword(password);
    c.session.promptText = gbk(text::kPasswordRetrieved) + password;
    c.actions.arm(SessionAction::Prompt);
}

bool Handlers::forThisAudience(const protocol::AlertFields& alert) const {
    // The audience is the user type as decimal text, exactly ("01" is not 1).
    char digits[16];
    const auto written =
        std::to_chars(std::begin(digits), std::end(digits), c.session.userType.value).ptr;
    return alert.audience == std::string_view(digits, static_cast<std::size_t>(written - digits));
}

void Handlers::alert(ServerCode code, const protocol::AlertFields& alert,
                     const protocol::DateTime& now) {
    if (!forThisAudience(alert)) {
        return;
    }
    // The popup is armed after the lists changed.
    const bool popup = fillAlertPopup(alert);
    if (code == ServerCode::AlertAdded) {
        c.alerts.place(alert, now);
        if (c.keeper != nullptr) {
            c.keeper->alertArrived(alert.id);
        }
    } else {
        c.alerts.update(alert, now);
    }
    if (popup) {
        c.actions.arm(SessionAction::AlertPopup);
    }
}

// Fills the popup record when the alert pops up; true when it does.
bool Handlers::fillAlertPopup(const protocol::AlertFields& alert) {
    if (!alertPopupWanted(alert.popup, c.session.popupHint)) {
        return false;
    }
    auto& texts = c.session.popupRecord.texts;
    c.session.popupRecord.kind = PopupKind::alert();
    protocol::DateTimeText time;
    texts[1] = formatAlertTime(protocol::parseDateTime(alert.time), time);
    texts[2] = alert.code;
    texts[3] = alert.name;
    texts[4] = alert.operation;
    texts[5] = alert.buy;
    texts[6] = alert.sell;
    return true;
}

void Handlers::notice(const protocol::NoticeRecord& record, SessionAction action) {
    const std::optional<PopupKind> kind = PopupKind::ofNoticeChannel(record.channel);
    if (!kind) {
        // No channel: nothing to show, and the previous notice is not shown
        // again either.
        return;
    }
    auto& session = c.session;
    const bool readable =
        noticeReadable(session.userType, session.channels[*kind->noticeChannel()]);
    session.popupNoticeHtml = noticeFragment(record, session.settings, readable);
    session.popupRecord.kind = *kind;
    session.popupRecord.texts[1] = record.popup;
    c.actions.arm(action);
}

void Handlers::prompt(std::string_view utf8Text, SessionAction action) {
    c.session.promptText = gbk(utf8Text);
    c.actions.arm(action);
}

}  // namespace

MessageDispatcher::MessageDispatcher(DispatcherContext context) : m_context(std::move(context)) {}

void MessageDispatcher::onConnectionEvent(transport::EventKind kind, std::string_view data) {
    if (kind == transport::EventKind::Closed) {
        m_heldNow.reset();
        if (m_context.keeper != nullptr && m_context.keeper->takeOverDrop()) {
            return;
        }
        m_context.session.promptText = gbk(text::kDisconnected);
        m_context.view.connectionClosed(m_context.session.promptText);
        return;
    }
    // The storage of the unpacked text is kept for the next message (only
    // this thread dispatches; a nested call just makes its own).
    constexpr std::size_t kKeptCapacity = 64 * 1024;
    thread_local std::string spare;
    std::string scratch = std::move(spare);
    const std::optional<std::string_view> bytes = protocol::unpackInto(data, scratch);
    dispatch(protocol::untilZero(bytes.value_or(std::string_view())));
    if (scratch.capacity() <= kKeptCapacity) {
        spare = std::move(scratch);
    }
}

void MessageDispatcher::dispatch(std::string_view text) {
    // Alerts, most of the traffic, go to the lists as views of the text.
    if (const std::optional<protocol::AlertFields> alert = protocol::alertFieldsOf(text)) {
        Handlers(m_context).alert(protocol::serverCodeOf(text), *alert, serverNow());
        return;
    }
    // Its handler may wait in a nested event loop: time passes.
    m_heldNow.reset();
    protocol::ServerMessage message = protocol::parseServerMessage(text);
    Handlers(m_context).handle(message);
    m_heldNow.reset();
}

void MessageDispatcher::holdServerTime(bool hold) {
    m_holdServerTime = hold;
    m_heldNow.reset();
}

protocol::DateTime MessageDispatcher::serverNow() {
    if (!m_holdServerTime) {
        return m_context.session.serverTime.now();
    }
    if (!m_heldNow) {
        m_heldNow = m_context.session.serverTime.now();
    }
    return *m_heldNow;
}

}  // namespace lanzhou::core
