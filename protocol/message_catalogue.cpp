#include "protocol/message_catalogue.h"

#include <array>
#include <cstddef>
#include <span>
#include <utility>

#include "protocol/gbk_text.h"
#include "protocol/lenient_int.h"

namespace lanzhou::protocol {

namespace {

using Pieces = std::vector<std::string_view>;

constexpr std::size_t kCodeSize = 3;
constexpr std::size_t kAlertListFields = 8;
constexpr std::size_t kAlertFields = 10;
constexpr std::size_t kNoticeFields = 7;
constexpr std::size_t kChannelPieces = 18;
constexpr std::size_t kWebPagePieces = 24;
constexpr std::size_t kVersionPieces = 2;
constexpr std::size_t kBulletinPieces = 2;
constexpr std::size_t kLoginPieces = 3;

struct CodeEntry {
    ServerCode code;
    std::string_view text;
};

// The pushed alerts come first: they are most of the traffic.
constexpr CodeEntry kCodes[] = {
    {ServerCode::AlertAdded, "#ai"},
    {ServerCode::AlertChanged, "#aj"},
    {ServerCode::Version, "#54"},
    {ServerCode::SessionConfig, "#55"},
    {ServerCode::Bulletin, "#56"},
    {ServerCode::ServerTime, "#TM"},
    {ServerCode::Channels, "#57"},
    {ServerCode::WebPages, "#58"},
    {ServerCode::AlertList, "#59"},
    {ServerCode::LoginRefused, "#a0"},
    {ServerCode::RegisterDuplicateMachine, "#a1"},
    {ServerCode::RegisterAccountExists, "#a2"},
    {ServerCode::RegisterFailed, "#a3"},
    {ServerCode::RegisterSucceeded, "#a4"},
    {ServerCode::RechargeBadAccount, "#a5"},
    {ServerCode::RechargeBadPassword, "#a6"},
    {ServerCode::RechargeBadCard, "#a7"},
    {ServerCode::RechargeCardExpired, "#a8"},
    {ServerCode::RechargeFailed, "#a9"},
    {ServerCode::RechargeSucceeded, "#aa"},
    {ServerCode::UserDataWrong, "#ab"},
    {ServerCode::PasswordChangeFailed, "#ac"},
    {ServerCode::LoginAccepted, "#ad"},
    {ServerCode::PasswordChanged, "#ae"},
    {ServerCode::PasswordRetrieved, "#af"},
    {ServerCode::LoggedInElsewhere, "#ag"},
    {ServerCode::KickedByAdministrator, "#ah"},
    {ServerCode::AlertsRemoved, "#ak"},
    {ServerCode::NoticeAdded, "#al"},
    {ServerCode::NoticeChanged, "#am"},
    {ServerCode::NoticesRemoved, "#an"},
};

// Every code is "#" and two more characters, so a match needs only those two.
constexpr bool allCodesAreHashAndTwo() {
    for (const CodeEntry& entry : kCodes) {
        if (entry.text.size() != kCodeSize || entry.text[0] != '#') {
            return false;
        }
    }
    return true;
}
static_assert(allCodesAreHashAndTwo());

std::string_view dropPrefix(std::string_view text, std::size_t count) {
    return text.size() > count ? text.substr(count) : std::string_view{};
}

// Pieces of a piped message: the code and its "|" dropped, the rest split.
Pieces pipedPieces(std::string_view text) {
    return splitPieces(dropPrefix(text, kCodeSize + 1), kFieldSeparator);
}

// Pieces of a glued message: the code dropped, the rest split.
Pieces gluedPieces(std::string_view text) {
    return splitPieces(dropPrefix(text, kCodeSize), kFieldSeparator);
}

bool flag(std::string_view piece) {
    return piece == "1";
}
std::string_view flagText(bool value) {
    return value ? "1" : "0";
}

std::string joined(std::string_view code, const std::vector<std::string>& fields,
                   std::string_view separator) {
    std::string text(code);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            text.append(separator);
        }
        text.append(fields[i]);
    }
    return text;
}

SessionConfig sessionConfigFrom(const Pieces& p) {
    SessionConfig config;
    config.productTitle = p[0];
    for (std::size_t i = 0; i < config.unused2to7.size(); ++i) {
        config.unused2to7[i] = p[1 + i];
    }
    config.labelColour = lenientInt(p[7]);
    config.titleColour = lenientInt(p[8]);
    config.timeColour = lenientInt(p[9]);
    config.starColour = lenientInt(p[10]);
    config.bodyColour = lenientInt(p[11]);
    config.ruleColour = lenientInt(p[12]);
    config.fontSize = p[13];
    config.indent = lenientInt(p[14]);
    config.unused16 = lenientInt(p[15]);
    config.registrationClosed = flag(p[16]);
    config.registrationFlag = flag(p[17]);
    config.machineBinding = flag(p[18]);
    config.refuseUnpaid = flag(p[19]);
    config.loginBulletinHidden = flag(p[20]);
    config.unused22 = flag(p[21]);
    config.unused23 = flag(p[22]);
    config.popupCloseTicks = lenientInt(p[23]);
    config.heartbeatSeconds = lenientInt(p[24]);
    config.supportQq = p[25];
    config.supportShopChat = p[26];
    config.unused28 = p[27];
    return config;
}

ChannelTable channelsFrom(const Pieces& p) {
    ChannelTable table;
    for (std::size_t k = 0; k < table.size(); ++k) {
        table[k].name = p[3 * k];
        table[k].openToFreeUsers = flag(p[3 * k + 1]);
        table[k].disabled = flag(p[3 * k + 2]);
    }
    return table;
}

WebPageTable webPagesFrom(const Pieces& p) {
    WebPageTable table;
    for (std::size_t k = 0; k < table.size(); ++k) {
        table[k].name = p[4 * k];
        table[k].address = p[4 * k + 1];
        table[k].openToFreeUsers = flag(p[4 * k + 2]);
        table[k].hidden = flag(p[4 * k + 3]);
    }
    return table;
}

// The first eight fields of an alert (the ones the "#59" list carries).
void fillAlertHead(std::span<const std::string_view> p, AlertRecord& alert) {
    alert.id = p[0];
    alert.time = p[1];
    alert.code = p[2];
    alert.name = p[3];
    alert.operation = p[4];
    alert.buy = p[5];
    alert.sell = p[6];
    alert.remark = p[7];
}

NoticeRecord noticeFrom(const Pieces& p) {
    NoticeRecord notice;
    notice.id = p[0];
    notice.time = p[1];
    notice.title = p[2];
    notice.stars = p[3];
    notice.body = p[4];
    notice.channel = p[5];
    notice.popup = p[6];
    return notice;
}

std::vector<AlertRecord> alertListFrom(std::string_view text) {
    std::vector<AlertRecord> alerts;
    for (const std::string_view record :
         splitPieces(dropPrefix(text, kCodeSize + 1), kRecordSeparator)) {
        const Pieces fields = splitPieces(record, kRecordFieldSeparator);
        if (fields.size() >= kAlertListFields) {
            fillAlertHead(fields, alerts.emplace_back());
        }
    }
    return alerts;
}

// "#ai" and "#aj": the record's texts made from the fields once.
ServerMessage alertMessage(ServerCode code, std::string_view text) {
    const std::optional<AlertFields> f = alertFieldsOf(text);
    if (!f) {
        return ServerMessage{code, {}};
    }
    return ServerMessage{
        code, AlertRecord{std::string(f->id), std::string(f->time), std::string(f->code),
                          std::string(f->name), std::string(f->operation), std::string(f->buy),
                          std::string(f->sell), std::string(f->remark), std::string(f->audience),
                          std::string(f->popup)}};
}

std::vector<std::string> alertHeadFields(const AlertRecord& alert) {
    return {alert.id,        alert.time, alert.code, alert.name,
            alert.operation, alert.buy,  alert.sell, alert.remark};
}

}  // namespace

// ---------------------------------------------------------------- requests

namespace request {

std::string login(std::string_view account, std::string_view password) {
    return joined("#a3|", {std::string(account), std::string(password)}, kFieldSeparator);
}

std::string registration(std::string_view account, std::string_view password, std::string_view qq,
                         std::string_view phone, std::string_view adapterAddress,
                         bool registrationFlag) {
    return joined("#a1|",
                  {std::string(account), std::string(password), std::string(qq), std::string(phone),
                   std::string(adapterAddress), std::string(flagText(registrationFlag))},
                  kFieldSeparator);
}

std::string recharge(std::string_view account, std::string_view password, std::string_view card) {
    return joined("#a2|", {std::string(account), std::string(password), std::string(card)},
                  kFieldSeparator);
}

std::string changePassword(std::string_view account, std::string_view newPassword,
                           std::string_view qq, std::string_view phone) {
    return joined(
        "#a4|",
        {std::string(account), std::string(newPassword), std::string(qq), std::string(phone)},
        kFieldSeparator);
}

std::string retrievePassword(std::string_view account, std::string_view qq,
                             std::string_view phone) {
    return joined("#a5|", {std::string(account), std::string(qq), std::string(phone)},
                  kFieldSeparator);
}

std::string alertList(std::int32_t userType) {
    return "#59" + std::to_string(userType);
}

}  // namespace request

// --------------------------------------------------------- server messages

std::string_view codeText(ServerCode code) {
    for (const CodeEntry& entry : kCodes) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return {};
}

ServerCode serverCodeOf(std::string_view text) {
    if (text.size() < kCodeSize) {
        return ServerCode::Unknown;
    }
    if (text[0] != '#') {
        return ServerCode::Unknown;
    }
    for (const CodeEntry& entry : kCodes) {
        if (entry.text[1] == text[1] && entry.text[2] == text[2]) {
            return entry.code;
        }
    }
    return ServerCode::Unknown;
}

AlertFields fieldsOf(const AlertRecord& record) {
    return AlertFields{record.id,  record.time, record.code,   record.name,     record.operation,
                       record.buy, record.sell, record.remark, record.audience, record.popup};
}

std::optional<AlertFields> alertFieldsOf(std::string_view text) {
    const ServerCode code = serverCodeOf(text);
    if (code != ServerCode::AlertAdded && code != ServerCode::AlertChanged) {
        return std::nullopt;
    }
    // Split without allocating: the views point into `text`.
    std::array<std::string_view, kAlertFields> p;
    if (splitPiecesInto(dropPrefix(text, kCodeSize), kFieldSeparator, p) != kAlertFields) {
        return std::nullopt;
    }
    return AlertFields{p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9]};
}

ServerMessage parseServerMessage(std::string_view text) {
    const ServerCode code = serverCodeOf(text);
    if (code == ServerCode::AlertAdded || code == ServerCode::AlertChanged) {
        return alertMessage(code, text);
    }
    ServerMessage message;
    message.code = code;
    switch (message.code) {
        case ServerCode::Version: {
            const Pieces p = pipedPieces(text);
            if (p.size() == kVersionPieces) {
                message.body = VersionInfo{lenientInt(p[0]), std::string(p[1])};
            }
            break;
        }
        case ServerCode::SessionConfig: {
            const Pieces p = pipedPieces(text);
            if (p.size() == static_cast<std::size_t>(kSessionConfigPieces)) {
                message.body = sessionConfigFrom(p);
            }
            break;
        }
        case ServerCode::Bulletin: {
            const Pieces p = pipedPieces(text);
            if (p.size() == kBulletinPieces) {
                message.body = std::string(p[0]);
            }
            break;
        }
        case ServerCode::ServerTime:
            message.body = parseDateTime(dropPrefix(text, kCodeSize));
            break;
        case ServerCode::Channels: {
            const Pieces p = pipedPieces(text);
            if (p.size() == kChannelPieces) {
                message.body = channelsFrom(p);
            }
            break;
        }
        case ServerCode::WebPages: {
            const Pieces p = pipedPieces(text);
            if (p.size() == kWebPagePieces) {
                message.body = webPagesFrom(p);
            }
            break;
        }
        case ServerCode::AlertList:
            message.body = alertListFrom(text);
            break;
        case ServerCode::LoginAccepted: {
            const Pieces p = pipedPieces(text);
            if (p.size() == kLoginPieces) {
                message.body =
                    LoginAccepted{std::string(p[0]), lenientInt(p[1]), std::string(p[2])};
            }
            break;
        }
        case ServerCode::PasswordRetrieved:
            message.body = std::string(dropPrefix(text, kCodeSize));
            break;
        case ServerCode::AlertsRemoved: {
            std::vector<std::string> ids;
            for (const std::string_view piece : gluedPieces(text)) {
                ids.emplace_back(piece);
            }
            message.body = std::move(ids);
            break;
        }
        case ServerCode::NoticeAdded:
        case ServerCode::NoticeChanged: {
            const Pieces p = gluedPieces(text);
            if (p.size() >= kNoticeFields) {
                message.body = noticeFrom(p);
            }
            break;
        }
        case ServerCode::NoticesRemoved: {
            const Pieces p = gluedPieces(text);
            if (!p.empty()) {
                RemovedNotices removed;
                for (std::size_t i = 0; i + 1 < p.size(); ++i) {
                    removed.ids.emplace_back(p[i]);
                }
                removed.channel = p.back();
                message.body = std::move(removed);
            }
            break;
        }
        default:
            break;
    }
    return message;
}

// ----------------------------------------------------------------- answers

namespace answer {

std::string bare(ServerCode code) {
    return std::string(codeText(code));
}

std::string version(const VersionInfo& info) {
    return joined("#54|", {std::to_string(info.serverVersion), info.updateArgument},
                  kFieldSeparator);
}

std::string sessionConfig(const SessionConfig& c) {
    std::vector<std::string> fields;
    fields.reserve(kSessionConfigPieces);
    fields.push_back(c.productTitle);
    fields.insert(fields.end(), c.unused2to7.begin(), c.unused2to7.end());
    for (const std::int32_t value :
         {c.labelColour, c.titleColour, c.timeColour, c.starColour, c.bodyColour, c.ruleColour}) {
        fields.push_back(std::to_string(value));
    }
    fields.push_back(c.fontSize);
    fields.push_back(std::to_string(c.indent));
    fields.push_back(std::to_string(c.unused16));
    for (const bool value : {c.registrationClosed, c.registrationFlag, c.machineBinding,
                             c.refuseUnpaid, c.loginBulletinHidden, c.unused22, c.unused23}) {
        fields.emplace_back(flagText(value));
    }
    fields.push_back(std::to_string(c.popupCloseTicks));
    fields.push_back(std::to_string(c.heartbeatSeconds));
    fields.push_back(c.supportQq);
    fields.push_back(c.supportShopChat);
    fields.push_back(c.unused28);
    return joined("#55|", fields, kFieldSeparator);
}

std::string bulletin(std::string_view html) {
    // The second piece is not read; it is sent so that the count is two.
    return joined("#56|", {std::string(html), "0"}, kFieldSeparator);
}

std::string serverTime(const DateTime& now) {
    return "#TM" + formatDateTime(now);
}

std::string channels(const ChannelTable& channels) {
    std::vector<std::string> fields;
    for (const ChannelConfig& channel : channels) {
        fields.push_back(channel.name);
        fields.emplace_back(flagText(channel.openToFreeUsers));
        fields.emplace_back(flagText(channel.disabled));
    }
    return joined("#57|", fields, kFieldSeparator);
}

std::string webPages(const WebPageTable& pages) {
    std::vector<std::string> fields;
    for (const WebPageConfig& page : pages) {
        fields.push_back(page.name);
        fields.push_back(page.address);
        fields.emplace_back(flagText(page.openToFreeUsers));
        fields.emplace_back(flagText(page.hidden));
    }
    return joined("#58|", fields, kFieldSeparator);
}

std::string loginAccepted(const LoginAccepted& login) {
    return joined("#ad|", {login.expiry, std::to_string(login.userType), login.boundAdapter},
                  kFieldSeparator);
}

std::string retrievedPassword(std::string_view password) {
    return "#af" + std::string(password);
}

std::string alert(ServerCode code, const AlertRecord& alert) {
    std::vector<std::string> fields = alertHeadFields(alert);
    fields.push_back(alert.audience);
    fields.push_back(alert.popup);
    return joined(codeText(code), fields, kFieldSeparator);
}

std::string alertsRemoved(const std::vector<std::string>& ids) {
    return joined("#ak", ids, kFieldSeparator);
}

std::string notice(ServerCode code, const NoticeRecord& notice) {
    return joined(codeText(code),
                  {notice.id, notice.time, notice.title, notice.stars, notice.body, notice.channel,
                   notice.popup},
                  kFieldSeparator);
}

std::string noticesRemoved(const RemovedNotices& removed) {
    std::vector<std::string> fields = removed.ids;
    fields.push_back(removed.channel);
    return joined("#an", fields, kFieldSeparator);
}

std::string alertList(const std::vector<AlertRecord>& alerts) {
    std::vector<std::string> records;
    records.reserve(alerts.size());
    for (const AlertRecord& alert : alerts) {
        records.push_back(joined("", alertHeadFields(alert), kRecordFieldSeparator));
    }
    return joined("#59|", records, kRecordSeparator);
}

}  // namespace answer

}  // namespace lanzhou::protocol
