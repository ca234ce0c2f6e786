#include "client/app/logging_rules.h"

#include <QLoggingCategory>
#include <QtGlobal>

namespace lanzhou::app {

void quietForeignReports() {
    if (!qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
        return;
    }
    // The last rule that matches a category decides.
    QLoggingCategory::setFilterRules(
        QStringLiteral("*.debug=false\n"
                       "*.info=false\n"
                       "*.warning=false\n"
                       "lanzhou.*.warning=true"));
}

}  // namespace lanzhou::app
