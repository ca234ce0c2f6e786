#include "client/account/account_log.h"

namespace lanzhou::account {

Q_LOGGING_CATEGORY(accountLog, "lanzhou.account", QtWarningMsg)

}  // namespace lanzhou::account
