#include "client/core/popup_rules.h"

namespace lanzhou::core {

bool alertPopupWanted(std::string_view popupFlag, bool popupHint) {
    return popupFlag == "1" && popupHint;
}

bool noticeArrivedPopupWanted(bool channelDisabled, std::string_view popupFlag, bool popupHint) {
    return !channelDisabled && alertPopupWanted(popupFlag, popupHint);
}

bool noticeEditedPopupWanted(std::string_view popupFlag, bool popupHint) {
    return alertPopupWanted(popupFlag, popupHint);
}

}  // namespace lanzhou::core
