#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/date_time.h"

namespace lanzhou::protocol {

// The messages of the protocol: GBK texts that start with a three-character
// code. Builders join fields without escaping, so callers must keep the
// separators out of the fields (the account forms refuse them).

// ---------------------------------------------------------------- requests

namespace request {
inline constexpr std::string_view kVersion = "#54";
inline constexpr std::string_view kSessionConfig = "#55";
inline constexpr std::string_view kBulletin = "#56";
inline constexpr std::string_view kServerTime = "#TM";
inline constexpr std::string_view kChannels = "#57";
inline constexpr std::string_view kWebPages = "#58";
inline constexpr std::string_view kLogout = "#az";
inline constexpr std::string_view kKeepAlive = "1";

std::string login(std::string_view account, std::string_view password);
std::string registration(std::string_view account, std::string_view password, std::string_view qq,
                         std::string_view phone, std::string_view adapterAddress,
                         bool registrationFlag);
std::string recharge(std::string_view account, std::string_view password, std::string_view card);
std::string changePassword(std::string_view account, std::string_view newPassword,
                           std::string_view qq, std::string_view phone);
std::string retrievePassword(std::string_view account, std::string_view qq,
                             std::string_view phone);
std::string alertList(std::int32_t userType);
}  // namespace request

// ----------------------------------------------------------------- records

// "#55": the session configuration, 28 pieces, as the server sends it.
struct SessionConfig {
    std::string productTitle;                  // 1
    std::array<std::string, 6> unused2to7{};   // 2-7, not read by the client
    std::int32_t labelColour = 0;              // 8  (colours: 0x00BBGGRR)
    std::int32_t titleColour = 0;              // 9
    std::int32_t timeColour = 0;               // 10
    std::int32_t starColour = 0;               // 11
    std::int32_t bodyColour = 0;               // 12
    std::int32_t ruleColour = 0;               // 13
    std::string fontSize;                      // 14
    std::int32_t indent = 0;                   // 15
    std::int32_t unused16 = 0;                 // 16
    bool registrationClosed = false;           // 17
    bool registrationFlag = false;             // 18
    bool machineBinding = false;               // 19
    bool refuseUnpaid = false;                 // 20
    bool loginBulletinHidden = false;          // 21
    bool unused22 = false;                     // 22
    bool unused23 = false;                     // 23
    std::int32_t popupCloseTicks = 0;          // 24
    std::int32_t heartbeatSeconds = 0;         // 25
    std::string supportQq;                     // 26
    std::string supportShopChat;               // 27
    std::string unused28 = "0";                // 28

    friend bool operator==(const SessionConfig&, const SessionConfig&) = default;
};
inline constexpr int kSessionConfigPieces = 28;

struct ChannelConfig {
    std::string name;
    bool openToFreeUsers = false;
    bool disabled = false;

    friend bool operator==(const ChannelConfig&, const ChannelConfig&) = default;
};
using ChannelTable = std::array<ChannelConfig, 6>;

struct WebPageConfig {
    std::string name;
    std::string address;
    bool openToFreeUsers = false;
    bool hidden = false;

    friend bool operator==(const WebPageConfig&, const WebPageConfig&) = default;
};
using WebPageTable = std::array<WebPageConfig, 6>;

struct VersionInfo {
    std::int32_t serverVersion = 0;
    std::string updateArgument;

    friend bool operator==(const VersionInfo&, const VersionInfo&) = default;
};

struct LoginAccepted {
    std::string expiry;        // date-time text, kept as sent
    std::int32_t userType = 0;
    std::string boundAdapter;  // "0" when the account is bound to no computer

    friend bool operator==(const LoginAccepted&, const LoginAccepted&) = default;
};

// "#ai"/"#aj": ten fields; in the "#59" list only the first eight are sent.
struct AlertRecord {
    std::string id;
    std::string time;  // date-time text, kept as sent
    std::string code;
    std::string name;
    std::string operation;
    std::string buy;
    std::string sell;
    std::string remark;
    std::string audience;  // user type as decimal text
    std::string popup;     // "1": pop up

    friend bool operator==(const AlertRecord&, const AlertRecord&) = default;
};

// The ten fields of an alert as views into the text (or record) they were read
// from, in the order of AlertRecord: the receive path makes each text once,
// where it is kept.
struct AlertFields {
    std::string_view id;
    std::string_view time;
    std::string_view code;
    std::string_view name;
    std::string_view operation;
    std::string_view buy;
    std::string_view sell;
    std::string_view remark;
    std::string_view audience;
    std::string_view popup;

    friend bool operator==(const AlertFields&, const AlertFields&) = default;
};

AlertFields fieldsOf(const AlertRecord& record);

// "#al"/"#am".
struct NoticeRecord {
    std::string id;
    std::string time;
    std::string title;
    std::string stars;
    std::string body;
    std::string channel;  // "0" to "5"
    std::string popup;    // "1": pop up

    friend bool operator==(const NoticeRecord&, const NoticeRecord&) = default;
};

// --------------------------------------------------------- server messages

enum class ServerCode {
    Unknown,
    Version,             // #54
    SessionConfig,       // #55
    Bulletin,            // #56
    ServerTime,          // #TM
    Channels,            // #57
    WebPages,            // #58
    AlertList,           // #59
    LoginRefused,        // #a0
    RegisterDuplicateMachine,  // #a1
    RegisterAccountExists,     // #a2
    RegisterFailed,            // #a3
    RegisterSucceeded,         // #a4
    RechargeBadAccount,        // #a5
    RechargeBadPassword,       // #a6
    RechargeBadCard,           // #a7
    RechargeCardExpired,       // #a8
    RechargeFailed,            // #a9
    RechargeSucceeded,         // #aa
    UserDataWrong,             // #ab
    PasswordChangeFailed,      // #ac
    LoginAccepted,             // #ad
    PasswordChanged,           // #ae
    PasswordRetrieved,         // #af
    LoggedInElsewhere,         // #ag
    KickedByAdministrator,     // #ah
    AlertAdded,                // #ai
    AlertChanged,              // #aj
    AlertsRemoved,             // #ak
    NoticeAdded,               // #al
    NoticeChanged,             // #am
    NoticesRemoved,            // #an
};

// The code's three characters ("#54", "#a0", ...), empty for Unknown.
std::string_view codeText(ServerCode code);

// Matches the first three bytes of a message.
ServerCode serverCodeOf(std::string_view text);

struct RemovedNotices {
    std::vector<std::string> ids;
    std::string channel;  // the last piece

    friend bool operator==(const RemovedNotices&, const RemovedNotices&) = default;
};

// A server message read into its typed content. `body` holds the content for
// the codes that carry one, and std::monostate for bare answers and for
// messages whose piece count is not the one the catalogue requires (the
// handshake still answers those).
struct ServerMessage {
    ServerCode code = ServerCode::Unknown;
    std::variant<std::monostate,
                 VersionInfo,                // #54, 2 pieces
                 SessionConfig,              // #55, 28 pieces
                 std::string,                // #56 bulletin (2 pieces), #af password
                 DateTime,                   // #TM (unreadable text: the null date)
                 ChannelTable,               // #57, 18 pieces
                 WebPageTable,               // #58, 24 pieces
                 LoginAccepted,              // #ad, 3 pieces
                 AlertRecord,                // #ai, #aj, 10 pieces
                 std::vector<std::string>,   // #ak ids
                 NoticeRecord,               // #al, #am, at least 7 pieces
                 RemovedNotices,             // #an, at least 1 piece
                 std::vector<AlertRecord>>   // #59, records of fewer than 8 fields skipped
        body;
};

ServerMessage parseServerMessage(std::string_view text);

// The fields of an "#ai" or "#aj" text exactly as parseServerMessage reads its
// AlertRecord; nothing for another code or a field count other than ten.
std::optional<AlertFields> alertFieldsOf(std::string_view text);

// Builders of server messages (for servers and test peers). They produce the
// exact layouts parseServerMessage reads; a trailing empty field would be lost
// by the splitting rule, so callers give the last field a value.
namespace answer {
std::string bare(ServerCode code);
std::string version(const VersionInfo& info);
std::string sessionConfig(const SessionConfig& config);
std::string bulletin(std::string_view html);
std::string serverTime(const DateTime& now);
std::string channels(const ChannelTable& channels);
std::string webPages(const WebPageTable& pages);
std::string loginAccepted(const LoginAccepted& login);
std::string retrievedPassword(std::string_view password);
std::string alert(ServerCode code, const AlertRecord& alert);  // AlertAdded or AlertChanged
std::string alertsRemoved(const std::vector<std::string>& ids);
std::string notice(ServerCode code, const NoticeRecord& notice);  // NoticeAdded or NoticeChanged
std::string noticesRemoved(const RemovedNotices& removed);
std::string alertList(const std::vector<AlertRecord>& alerts);  // first eight fields of each
}  // namespace answer

}  // namespace lanzhou::protocol
