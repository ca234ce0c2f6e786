#pragma once

#include <QLoggingCategory>

namespace lanzhou::skin {

// "lanzhou.skin": what the frame could not use (a picture that does not
// load). Warnings reach standard error; debug lines only when
// QT_LOGGING_RULES asks for them ("lanzhou.skin.debug=true").
Q_DECLARE_LOGGING_CATEGORY(skinLog)

}  // namespace lanzhou::skin
