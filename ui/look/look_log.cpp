#include "ui/look/look_log.h"

namespace lanzhou::look {

Q_LOGGING_CATEGORY(lookLog, "lanzhou.look", QtWarningMsg)

}  // namespace lanzhou::look
