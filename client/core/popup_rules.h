#pragma once

#include <string_view>

namespace lanzhou::core {

// A popup needs the message's own flag to be "1" and popups switched on.
bool alertPopupWanted(std::string_view popupFlag, bool popupHint);
// A new notice on a disabled channel shows nothing at all.
bool noticeArrivedPopupWanted(bool channelDisabled, std::string_view popupFlag, bool popupHint);
// A changed notice pops up even on a disabled channel.
bool noticeEditedPopupWanted(std::string_view popupFlag, bool popupHint);

}  // namespace lanzhou::core
