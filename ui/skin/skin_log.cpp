#include "ui/skin/skin_log.h"

namespace lanzhou::skin {

Q_LOGGING_CATEGORY(skinLog, "lanzhou.skin", QtWarningMsg)

}  // namespace lanzhou::skin
