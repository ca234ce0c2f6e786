#pragma once

#include <QLoggingCategory>

namespace lanzhou::account {

// "lanzhou.account": what the account windows could not do (a support link
// the desktop did not open). Warnings reach standard error; debug lines only
// when QT_LOGGING_RULES asks for them ("lanzhou.account.debug=true").
Q_DECLARE_LOGGING_CATEGORY(accountLog)

}  // namespace lanzhou::account
