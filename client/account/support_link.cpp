#include "client/account/support_link.h"

#include <QDesktopServices>
#include <QUrl>

#include "client/display/qt_text.h"

namespace lanzhou::account {

void openSupportLink(const std::string& linkGbk) {
    // Characters a link may not hold as they are (a Chinese shop account, a
    // space) are percent-encoded by the URL.
    QDesktopServices::openUrl(QUrl(display::fromGbk(linkGbk), QUrl::TolerantMode));
}

}  // namespace lanzhou::account
