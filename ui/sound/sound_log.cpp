#include "ui/sound/sound_log.h"

namespace lanzhou::display {

Q_LOGGING_CATEGORY(soundLog, "lanzhou.sound", QtWarningMsg)

}  // namespace lanzhou::display
