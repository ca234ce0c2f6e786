#include "client/core/client_session.h"

#include <algorithm>
#include <string>
#include <utility>

namespace lanzhou::core {

namespace {

// Flags only ever go from false to true.
void setFlag(bool& kept, bool incoming) {
    if (incoming) {
        kept = true;
    }
}

}  // namespace

void mergeSessionConfig(SessionSettings& settings, const protocol::SessionConfig& message) {
    settings.productTitle = message.productTitle;
    settings.labelColour = message.labelColour;
    settings.titleColour = message.titleColour;
    settings.timeColour = message.timeColour;
    settings.starColour = message.starColour;
    settings.bodyColour = message.bodyColour;
    settings.ruleColour = message.ruleColour;
    settings.fontSizeStyle = "font-size:" + message.fontSize + ";";

    // The repeat count comes from the network: bounded so that a hostile value
    // cannot make the client allocate gigabytes.
    const auto repeats = static_cast<std::size_t>(std::clamp(message.indent, 0, kMaxIndent));
    std::string indent;
    indent.reserve(repeats * 5);
    for (std::size_t i = 0; i < repeats; ++i) {
        indent += "&nbsp";
    }
    settings.indentText = std::move(indent);

    settings.unused16 = message.unused16;
    setFlag(settings.registrationClosed, message.registrationClosed);
    setFlag(settings.registrationFlag, message.registrationFlag);
    setFlag(settings.machineBinding, message.machineBinding);
    setFlag(settings.refuseUnpaid, message.refuseUnpaid);
    setFlag(settings.loginBulletinHidden, message.loginBulletinHidden);
    setFlag(settings.unused22, message.unused22);
    setFlag(settings.unused23, message.unused23);
    settings.popupCloseTicks = message.popupCloseTicks;
    settings.heartbeatSeconds = message.heartbeatSeconds;
    // An empty contact leaves the one kept from an earlier message (its
    // button, once shown, stays shown).
    if (!message.supportQq.empty()) {
        settings.supportQq = message.supportQq;
    }
    if (!message.supportShopChat.empty()) {
        settings.supportShopChat = message.supportShopChat;
    }
}

}  // namespace lanzhou::core
