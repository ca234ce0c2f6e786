// What the desktop client's start-up does with reports: Qt's and the
// browser's own kept off standard error, the client's own categories let
// through, and the core's unwatched failures handed to "lanzhou.core".

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <optional>

#include <gtest/gtest.h>

#include "base/diagnostics.h"
#include "client/app/core_diagnostics.h"
#include "client/app/logging_rules.h"
#include "tests/gui/support/scoped_env.h"
#include "ui/sound/sound_log.h"

namespace lanzhou::test {
namespace {

// Collects every message that passes the filter rules, as
// "<category> <type>: <text>"; the default handler would have written it to
// standard error. Puts back the rules and the handlers it found.
class PassedMessages final {
public:
    PassedMessages() {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&PassedMessages::handle);
    }
    ~PassedMessages() {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
        setDiagnosticSink({});
    }
    PassedMessages(const PassedMessages&) = delete;
    PassedMessages& operator=(const PassedMessages&) = delete;

    static QStringList messages() { return s_messages; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        const char* kind = type == QtWarningMsg ? "warning"
                           : type == QtDebugMsg ? "debug"
                                                : "other";
        s_messages << QStringLiteral("%1 %2: %3")
                          .arg(QLatin1String(context.category), QLatin1String(kind), text);
    }

    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

void reportOneOfEach() {
    const QLoggingCategory foreign("qt.lanzhou.test");
    qCWarning(foreign, "a library's warning");
    qCDebug(display::soundLog, "our debug line");
    qCWarning(display::soundLog, "our warning");
    reportDiagnostic("config", "k_config.ini not written");
}

TEST(Logging, OurWarningsAndTheCoresFailuresPassForeignReportsDoNot) {
    const ScopedEnv rules("QT_LOGGING_RULES", std::nullopt);
    PassedMessages passed;
    app::quietForeignReports();
    app::logCoreDiagnostics();

    reportOneOfEach();

    EXPECT_EQ(PassedMessages::messages(),
              QStringList({"lanzhou.sound warning: our warning",
                           "lanzhou.core warning: config: k_config.ini not written"}));
}

TEST(Logging, RulesTheMemberSetAreLeftAsTheyAre) {
    const ScopedEnv rules("QT_LOGGING_RULES", QByteArray("qt.webenginecontext=false"));
    PassedMessages passed;
    app::quietForeignReports();
    app::logCoreDiagnostics();

    reportOneOfEach();

    EXPECT_EQ(PassedMessages::messages(),
              QStringList({"qt.lanzhou.test warning: a library's warning",
                           "lanzhou.sound warning: our warning",
                           "lanzhou.core warning: config: k_config.ini not written"}));
}

}  // namespace
}  // namespace lanzhou::test
