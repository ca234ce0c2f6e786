#include "server/service/service.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "protocol/gbk_text.h"
#include "protocol/message_catalogue.h"
#include "protocol/request_parser.h"
#include "server/service/service_members.h"

namespace lanzhou::server {

namespace {

using protocol::ServerCode;

// Longest account, password, QQ, telephone or adapter text kept for a member.
constexpr std::size_t kMaxFieldBytes = 128;

// A paying member is one whose membership has not run out.
int effectiveUserType(const AccountRecord& account, const protocol::DateTime& now) {
    return account.userType == 1 && account.expiry >= now ? 1 : 0;
}

// Fields the record-list layout cannot carry.
bool holdsRecordSeparator(std::string_view field) {
    return protocol::containsCharacter(field, protocol::kRecordSeparator) ||
           protocol::containsCharacter(field, protocol::kRecordFieldSeparator);
}

// The handshake answers depend on the settings only: built once.
struct HandshakeTexts {
    std::string version;
    std::string sessionConfig;
    std::string bulletin;
    std::string channels;
    std::string webPages;
};

HandshakeTexts handshakeTexts(const ServiceSettings& settings) {
    // An empty last piece would be lost by the clients' splitting and the
    // message ignored: an empty update source goes out as "-", and the
    // session configuration's unread piece 28 as "0".
    protocol::VersionInfo version = settings.version;
    if (version.updateArgument.empty()) {
        version.updateArgument = "-";
    }
    protocol::SessionConfig session = settings.session;
    session.unused28 = "0";
    return {protocol::answer::version(version), protocol::answer::sessionConfig(session),
            protocol::answer::bulletin(settings.bulletinHtml),
            protocol::answer::channels(settings.channels),
            protocol::answer::webPages(settings.webPages)};
}

}  // namespace

class Service::Impl final {
public:
    Impl(const ServiceSettings& settings, Storage& storage, ServiceOutput& output, Clock now)
        : m_texts(handshakeTexts(settings)),
          m_registrationClosed(settings.session.registrationClosed),
          m_oneAccountPerComputer(settings.oneAccountPerComputer),
          m_alertListCount(settings.alertListCount),
          m_storage(storage),
          m_output(output),
          m_now(std::move(now)) {}

    void request(ConnectionId connection, std::string_view text) {
        // A connection that was never announced, or was already forgotten,
        // must not come back to life through a late request.
        if (!m_members.contains(connection)) {
            return;
        }
        const protocol::ClientRequest request = protocol::parseRequest(text);
        using protocol::RequestCode;
        switch (request.code) {
            case RequestCode::Version:
                m_output.send(connection, m_texts.version);
                break;
            case RequestCode::SessionConfig:
                m_output.send(connection, m_texts.sessionConfig);
                break;
            case RequestCode::Bulletin:
                m_output.send(connection, m_texts.bulletin);
                break;
            case RequestCode::ServerTime:
                m_output.send(connection, protocol::answer::serverTime(m_now()));
                break;
            case RequestCode::Channels:
                m_output.send(connection, m_texts.channels);
                break;
            case RequestCode::WebPages:
                m_output.send(connection, m_texts.webPages);
                break;
            case RequestCode::Login:
                login(connection, request);
                break;
            case RequestCode::Register:
                m_output.send(connection, registration(request));
                break;
            case RequestCode::Recharge:
                m_output.send(connection, recharge(request));
                break;
            case RequestCode::ChangePassword:
                m_output.send(connection, changePassword(request));
                break;
            case RequestCode::RetrievePassword:
                m_output.send(connection, retrievePassword(request));
                break;
            case RequestCode::AlertList:
                m_output.send(connection, alertList(connection, request.userType));
                break;
            case RequestCode::Logout:
                m_members.logout(connection);
                break;
            case RequestCode::KeepAlive:
            case RequestCode::Unknown:
                break;
        }
    }

    void operatorEvent(const OperatorEvent& event) {
        m_lastEvent = std::max(m_lastEvent, event.sequence);
        using Kind = OperatorEvent::Kind;
        switch (event.kind) {
            case Kind::AlertPublished:
            case Kind::AlertUpdated:
                for (const std::string& id : event.subjects) {
                    sendAlert(event.kind == Kind::AlertPublished ? ServerCode::AlertAdded
                                                                 : ServerCode::AlertChanged,
                              id);
                }
                break;
            case Kind::AlertsRemoved:
                if (!event.subjects.empty()) {
                    const std::string text = protocol::answer::alertsRemoved(event.subjects);
                    for (int type = 0; type < ServiceMembers::kUserTypes; ++type) {
                        sendToMany(m_members.members(type), text);
                    }
                }
                break;
            case Kind::NoticePublished:
            case Kind::NoticeUpdated:
                for (const std::string& id : event.subjects) {
                    sendNotice(event.kind == Kind::NoticePublished ? ServerCode::NoticeAdded
                                                                   : ServerCode::NoticeChanged,
                               id);
                }
                break;
            case Kind::NoticesRemoved:
                if (!event.subjects.empty()) {
                    sendToMany(m_members.connections(),
                               protocol::answer::noticesRemoved({event.subjects, event.channel}));
                }
                break;
            case Kind::Kick:
                for (const std::string& account : event.subjects) {
                    if (const auto connection = m_members.connectionOf(account)) {
                        m_output.send(*connection,
                                      protocol::answer::bare(ServerCode::KickedByAdministrator));
                        m_members.logout(*connection);
                    }
                }
                break;
            case Kind::LoggedIn:
                // A login after this node's own, wherever it was made, ends
                // the session here as a second login on this node would.
                for (const std::string& account : event.subjects) {
                    const auto connection = m_members.connectionOf(account);
                    if (connection &&
                        m_members.loginSequenceOf(*connection).value_or(0) < event.sequence) {
                        m_output.send(*connection,
                                      protocol::answer::bare(ServerCode::LoggedInElsewhere));
                        m_members.logout(*connection);
                    }
                }
                break;
        }
    }

    ServiceMembers& members() { return m_members; }

private:
    void login(ConnectionId connection, const protocol::ClientRequest& request) {
        std::optional<AccountRecord> account;
        if (request.wellFormed) {
            account = m_storage.findAccount(request.fields[0]);
        }
        if (!account || account->password != request.fields[1]) {
            m_output.send(connection, protocol::answer::bare(ServerCode::LoginRefused));
            return;
        }
        const int userType = effectiveUserType(*account, m_now());
        // Other servers of the database end their session of the account;
        // should the record fail, events already seen are older than this login.
        const std::int64_t sequence = m_storage.recordLogin(account->name).value_or(m_lastEvent);
        if (const auto older = m_members.login(connection, account->name, userType, sequence)) {
            m_output.send(*older, protocol::answer::bare(ServerCode::LoggedInElsewhere));
        }
        m_output.send(connection, protocol::answer::loginAccepted(
                                      {protocol::formatDateTime(account->expiry), account->userType,
                                       account->adapter.empty() ? "0" : account->adapter}));
    }

    std::string registration(const protocol::ClientRequest& request) {
        if (!request.wellFormed || m_registrationClosed) {
            return protocol::answer::bare(ServerCode::RegisterFailed);
        }
        const std::vector<std::string>& f = request.fields;
        // Account, password, QQ, telephone, adapter address; the last field
        // (the registration flag) is not kept.
        for (std::size_t i = 0; i < 5; ++i) {
            const bool required = i < 4;
            if ((required && f[i].empty()) || f[i].size() > kMaxFieldBytes ||
                holdsRecordSeparator(f[i])) {
                return protocol::answer::bare(ServerCode::RegisterFailed);
            }
        }
        AccountRecord account;
        account.name = f[0];
        account.password = f[1];
        account.qq = f[2];
        account.phone = f[3];
        account.adapter = f[4];
        switch (m_storage.registerAccount(account, m_oneAccountPerComputer)) {
            case RegisterResult::Registered:
                return protocol::answer::bare(ServerCode::RegisterSucceeded);
            case RegisterResult::AccountExists:
                return protocol::answer::bare(ServerCode::RegisterAccountExists);
            case RegisterResult::MachineTaken:
                return protocol::answer::bare(ServerCode::RegisterDuplicateMachine);
            case RegisterResult::Failed:
                break;
        }
        return protocol::answer::bare(ServerCode::RegisterFailed);
    }

    std::string recharge(const protocol::ClientRequest& request) {
        if (!request.wellFormed) {
            return protocol::answer::bare(ServerCode::RechargeFailed);
        }
        const std::vector<std::string>& f = request.fields;
        switch (m_storage.recharge(f[0], f[1], f[2], m_now())) {
            case RechargeResult::Recharged:
                return protocol::answer::bare(ServerCode::RechargeSucceeded);
            case RechargeResult::UnknownAccount:
                return protocol::answer::bare(ServerCode::RechargeBadAccount);
            case RechargeResult::WrongPassword:
                return protocol::answer::bare(ServerCode::RechargeBadPassword);
            case RechargeResult::BadCard:
                return protocol::answer::bare(ServerCode::RechargeBadCard);
            case RechargeResult::CardExpired:
                return protocol::answer::bare(ServerCode::RechargeCardExpired);
            case RechargeResult::Failed:
                break;
        }
        return protocol::answer::bare(ServerCode::RechargeFailed);
    }

    // Account, QQ and telephone identify the member; none may be empty, or an
    // account registered without a contact could be taken over with less.
    static bool identifies(std::string_view account, std::string_view qq, std::string_view phone) {
        return !account.empty() && !qq.empty() && !phone.empty();
    }

    std::string changePassword(const protocol::ClientRequest& request) {
        if (!request.wellFormed) {
            return protocol::answer::bare(ServerCode::UserDataWrong);
        }
        const std::vector<std::string>& f = request.fields;  // account, new password, QQ, phone
        if (!identifies(f[0], f[2], f[3])) {
            return protocol::answer::bare(ServerCode::UserDataWrong);
        }
        if (f[1].empty() || f[1].size() > kMaxFieldBytes) {
            return protocol::answer::bare(ServerCode::PasswordChangeFailed);
        }
        switch (m_storage.changePassword(f[0], f[2], f[3], f[1])) {
            case ChangeResult::Changed:
                return protocol::answer::bare(ServerCode::PasswordChanged);
            case ChangeResult::DataWrong:
                return protocol::answer::bare(ServerCode::UserDataWrong);
            case ChangeResult::Failed:
                break;
        }
        return protocol::answer::bare(ServerCode::PasswordChangeFailed);
    }

    std::string retrievePassword(const protocol::ClientRequest& request) {
        if (request.wellFormed) {
            const std::vector<std::string>& f = request.fields;  // account, QQ, phone
            if (identifies(f[0], f[1], f[2])) {
                if (const auto password = m_storage.retrievePassword(f[0], f[1], f[2])) {
                    return protocol::answer::retrievedPassword(*password);
                }
            }
        }
        return protocol::answer::bare(ServerCode::UserDataWrong);
    }

    // Logged-in members get the latest alerts of the lower of the type they
    // ask for and their own; anyone else an empty list.
    std::string alertList(ConnectionId connection, std::int32_t requestedType) {
        const std::optional<int> memberType = m_members.userTypeOf(connection);
        if (!memberType || requestedType < 0 || m_alertListCount <= 0) {
            return protocol::answer::alertList({});
        }
        std::vector<protocol::AlertRecord> alerts =
            m_storage.latestAlerts(std::min(requestedType, *memberType), m_alertListCount);
        for (protocol::AlertRecord& alert : alerts) {
            // The remark ends its record: empty, it would be dropped by the
            // clients' splitting and the whole record with it.
            if (alert.remark.empty()) {
                alert.remark = " ";
            }
        }
        return protocol::answer::alertList(alerts);
    }

    void sendAlert(ServerCode code, const std::string& id) {
        std::optional<protocol::AlertRecord> alert = m_storage.findAlert(id);
        if (!alert) {
            return;  // removed again before the event was seen
        }
        // Members compare the audience with their own type as text.
        int audience = -1;
        if (alert->audience == "0") {
            audience = 0;
        } else if (alert->audience == "1") {
            audience = 1;
        }
        if (alert->popup.empty()) {
            alert->popup = "0";  // the last piece must not be empty
        }
        sendToMany(m_members.members(audience), protocol::answer::alert(code, *alert));
    }

    void sendNotice(ServerCode code, const std::string& id) {
        std::optional<protocol::NoticeRecord> notice = m_storage.findNotice(id);
        if (!notice) {
            return;
        }
        if (notice->popup.empty()) {
            notice->popup = "0";
        }
        sendToMany(m_members.connections(), protocol::answer::notice(code, *notice));
    }

    void sendToMany(std::span<const ConnectionId> connections, const std::string& text) {
        if (!connections.empty()) {
            m_output.sendToMany(connections, text);
        }
    }

    const HandshakeTexts m_texts;
    const bool m_registrationClosed;
    const bool m_oneAccountPerComputer;
    const std::int32_t m_alertListCount;
    Storage& m_storage;
    ServiceOutput& m_output;
    const Clock m_now;
    ServiceMembers m_members;
    std::int64_t m_lastEvent = 0;  // the newest event sequence seen
};

Service::Service(const ServiceSettings& settings, Storage& storage, ServiceOutput& output,
                 Clock now)
    : m_impl(std::make_unique<Impl>(settings, storage, output, std::move(now))) {}

Service::~Service() = default;

void Service::connected(ConnectionId connection) {
    m_impl->members().add(connection);
}

void Service::request(ConnectionId connection, std::string_view text) {
    m_impl->request(connection, text);
}

void Service::disconnected(ConnectionId connection) {
    m_impl->members().remove(connection);
}

void Service::operatorEvent(const OperatorEvent& event) {
    m_impl->operatorEvent(event);
}

std::size_t Service::connectionCount() const {
    return m_impl->members().connectionCount();
}

std::size_t Service::memberCount() const {
    return m_impl->members().memberCount();
}

}  // namespace lanzhou::server
