#include "client/account/support_link.h"

#include "platform/desktop_open.h"

namespace lanzhou::account {

void openSupportLink(const std::string& linkGbk) {
    // The link as it was built: the desktop's opener gets the text, not a
    // URL re-encoded on the way.
    static_cast<void>(platform::openWithDesktop(linkGbk));
}

}  // namespace lanzhou::account
