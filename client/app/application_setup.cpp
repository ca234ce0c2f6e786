#include "client/app/application_setup.h"

#include <QApplication>
#include <QDir>

#include "client/app/font_setup.h"
#include "client/app/logging_rules.h"
#include "ui/look/app_icon.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::app {

void prepareQtEnvironment() {
    // Qt's and the browser's own reports are for their developers: a
    // member's terminal keeps the client's lines. Settings the member made
    // are left as they are.
    quietForeignReports();
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--log-level=3");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void setUpApplication(const std::string& runDirectoryGbk) {
    QApplication::setQuitOnLastWindowClosed(false);
    // Every file the client uses is addressed from the run directory.
    QDir::setCurrent(display::fromGbk(runDirectoryGbk));
    setUpSongFace();
    QApplication::setWindowIcon(look::applicationIcon());
}

}  // namespace lanzhou::app
