#pragma once

#include <QLoggingCategory>

namespace lanzhou::display {

// "lanzhou.sound": why a sound did not play (no audio output, bytes the mixer
// cannot read). Warnings reach standard error; debug lines only when
// QT_LOGGING_RULES asks for them ("lanzhou.sound.debug=true").
Q_DECLARE_LOGGING_CATEGORY(soundLog)

}  // namespace lanzhou::display
