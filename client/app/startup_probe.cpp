#include "client/app/startup_probe.h"

#include <QEvent>
#include <QObject>
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

}  // namespace

void reportStartupWhenShown(QWidget* window) {
    if (window == nullptr || qEnvironmentVariableIsEmpty("LANZHOU_STARTUP_PROBE")) {
        return;
    }
    window->installEventFilter(new FirstPaintProbe(window));
}

}  // namespace lanzhou::app
