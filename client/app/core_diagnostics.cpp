#include "client/app/core_diagnostics.h"

#include <QString>

#include <string_view>

#include "base/diagnostics.h"

namespace lanzhou::app {

Q_LOGGING_CATEGORY(coreLog, "lanzhou.core", QtWarningMsg)

void logCoreDiagnostics() {
    // Qt's logging may be called from any thread, as the sink must allow.
    setDiagnosticSink([](std::string_view area, std::string_view message) {
        qCWarning(coreLog).noquote()
            << QString::fromUtf8(area.data(), qsizetype(area.size())) + QStringLiteral(": ") +
                   QString::fromUtf8(message.data(), qsizetype(message.size()));
    });
}

}  // namespace lanzhou::app
