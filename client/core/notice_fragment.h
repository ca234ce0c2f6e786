#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "client/core/user_type.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {

struct SessionSettings;

// "#RRGGBB" of a colour integer holding red in the low byte.
std::string colourText(std::int32_t colour);

// "1" to "5" give that many "★"; anything else one.
std::string starText(std::string_view stars);

// A notice is readable by paying members, and by everybody on a channel open
// to free users.
bool noticeReadable(UserType userType, const protocol::ChannelConfig& channel);

// A web-link page is readable by paying members, and by everybody when it is
// open to free users.
bool webPageReadable(UserType userType, const protocol::WebPageConfig& page);

// The popup fragment of a notice (GBK): title, time, stars and body lines,
// or the masked title and body when it is not readable.
std::string noticeFragment(const protocol::NoticeRecord& notice, const SessionSettings& settings,
                           bool readable);

}  // namespace lanzhou::core
