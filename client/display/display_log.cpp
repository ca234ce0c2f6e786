#include "client/display/display_log.h"

namespace lanzhou::display {

Q_LOGGING_CATEGORY(displayLog, "lanzhou.display", QtWarningMsg)

}  // namespace lanzhou::display
