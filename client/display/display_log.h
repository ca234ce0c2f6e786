#pragma once

#include <QLoggingCategory>

namespace lanzhou::display {

// "lanzhou.display": what the main window and the popup could not do (an
// alert sound file that cannot be read). Warnings reach standard error;
// debug lines only when QT_LOGGING_RULES asks for them
// ("lanzhou.display.debug=true").
Q_DECLARE_LOGGING_CATEGORY(displayLog)

}  // namespace lanzhou::display
