#include "client/account/support_link.h"

#include "client/account/account_log.h"
#include "platform/desktop_open.h"

namespace lanzhou::account {

void openSupportLink(const std::string& linkGbk) {
    // The link as it was built: the desktop's opener gets the text, not a
    // URL re-encoded on the way.
    if (!platform::openWithDesktop(linkGbk)) {
        qCWarning(accountLog, "the desktop's opener could not be started for a support link");
    }
}

}  // namespace lanzhou::account
