#include "client/app/startup_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QObject>
#include <QSet>
#include <QWidget>

#include <cstdio>

namespace lanzhou::app {

namespace {

class FirstPaintProbe final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            std::fputs("lanzhou: login window shown\n", stdout);
            std::fflush(stdout);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

// Watches the whole application for the first paint of each prompt window.
class PromptProbe final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            watched->objectName() == QStringLiteral("PromptWindow") && !m_seen.contains(watched)) {
            m_seen.insert(watched);
            const auto* label = watched->findChild<QLabel*>(QStringLiteral("提示_标签"));
            const QByteArray text = label ? label->text().toUtf8() : QByteArray();
            std::fprintf(stdout, "lanzhou: prompt shown: %s\n", text.constData());
            std::fflush(stdout);
        }
        return false;
    }

private:
    QSet<QObject*> m_seen;
};

}  // namespace

void reportPromptsWhenShown() {
    if (qEnvironmentVariableIsEmpty("LANZHOU_STARTUP_PROBE") || !QCoreApplication::instance()) {
        return;
    }
    QCoreApplication::instance()->installEventFilter(new PromptProbe(QCoreApplication::instance()));
}

void reportStartupWhenShown(QWidget* window) {
    if (window == nullptr || qEnvironmentVariableIsEmpty("LANZHOU_STARTUP_PROBE")) {
        return;
    }
    window->installEventFilter(new FirstPaintProbe(window));
}

}  // namespace lanzhou::app
