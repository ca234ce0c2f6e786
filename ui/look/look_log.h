#pragma once

#include <QLoggingCategory>

namespace lanzhou::look {

// "lanzhou.look": what the shared look could not find (a Song-style face).
// Warnings reach standard error; debug lines only when QT_LOGGING_RULES asks
// for them ("lanzhou.look.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lookLog)

}  // namespace lanzhou::look
