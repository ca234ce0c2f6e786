#pragma once

#include <string>

namespace lanzhou::account {

// Hands a support chat link (GBK, from core/contact_links.h) to the desktop,
// which starts whatever program is registered for its scheme. Nothing is
// shown when no program takes the link; an opener that could not be started
// is reported on "lanzhou.account".
void openSupportLink(const std::string& linkGbk);

}  // namespace lanzhou::account
