#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "client/core/clock_tick.h"
#include "client/core/line_choice.h"
#include "client/core/popup_kind.h"
#include "client/core/user_type.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {

// What the session keeps of the "#55" configuration. Flags are only ever set:
// a later message with "0" leaves a flag that once read "1" as it is.
struct SessionSettings {
    std::string productTitle;
    std::int32_t labelColour = 0;
    std::int32_t titleColour = 0;
    std::int32_t timeColour = 0;
    std::int32_t starColour = 0;
    std::int32_t bodyColour = 0;
    std::int32_t ruleColour = 0;
    std::string fontSizeStyle;  // "font-size:" + value + ";"
    std::string indentText;     // "&nbsp" repeated `indent` times
    std::int32_t unused16 = 0;
    bool registrationClosed = false;
    bool registrationFlag = false;
    bool machineBinding = false;
    bool refuseUnpaid = false;
    bool loginBulletinHidden = false;
    bool unused22 = false;
    bool unused23 = false;
    std::int32_t popupCloseTicks = 0;
    std::int32_t heartbeatSeconds = 0;
    std::string supportQq;
    std::string supportShopChat;
};

// The indent is repeated at most this many times: the value comes from the
// network and must not make the client allocate without bound.
inline constexpr std::int32_t kMaxIndent = 1000;

// Applies one valid "#55" to the kept settings.
void mergeSessionConfig(SessionSettings& settings, const protocol::SessionConfig& message);

// What the next popup shows: its kind, set by the dispatcher, and its texts.
// Index 0 is not used. For an alert, indexes 1 to 6 hold the time text, code,
// name, operation, buy and sell price; for a notice index 1 holds its popup
// flag.
struct PopupRecord {
    PopupKind kind;
    std::array<std::string, 7> texts{};
};

// The one session record of the process. All texts are GBK. Written and read
// on the session thread only.
struct ClientSession {
    std::string runDirectory;  // GBK path text, no trailing separator

    LineChoice line = LineChoice::Telecom;
    bool soundHint = false;
    bool popupHint = false;
    std::string soundFile;
    std::string promptText;
    // Retry a connection lost after login (k_config.ini "reconnect").
    bool reconnect = false;
    // Quiet hours as k_config.ini holds them ("HH:MM"; anything else: off).
    std::string quietFrom;
    std::string quietTo;

    std::int32_t localVersion = 0;
    std::int32_t serverVersion = 0;
    std::string updateArgument;

    SessionSettings settings;
    std::string loginBulletin;
    ClockTick serverTime;
    protocol::ChannelTable channels{};
    protocol::WebPageTable webPages{};

    std::string accountName;
    UserType userType;
    std::string expiryTime;

    PopupRecord popupRecord;
    std::string popupNoticeHtml;
};

}  // namespace lanzhou::core
