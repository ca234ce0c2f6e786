#pragma once

#include <string>

namespace lanzhou::account {

// Hands a support chat link (GBK, from core/contact_links.h) to the desktop,
// which starts whatever program is registered for its scheme. The result is
// not checked: nothing is shown when no program takes the link.
void openSupportLink(const std::string& linkGbk);

}  // namespace lanzhou::account
