#pragma once

#include <QLoggingCategory>

namespace lanzhou::app {

// "lanzhou.core": the failures the core reports with reportDiagnostic
// (base/diagnostics.h) that nobody waits for, as warnings.
Q_DECLARE_LOGGING_CATEGORY(coreLog)

// Makes "lanzhou.core" the core's diagnostic sink for the rest of the run.
void logCoreDiagnostics();

}  // namespace lanzhou::app
