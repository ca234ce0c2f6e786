#include "client/app/application_setup.h"

#include <QApplication>
#include <QDir>

#include "client/app/font_setup.h"
#include "client/display/qt_text.h"
#include "ui/look/app_icon.h"

namespace lanzhou::app {

void prepareQtEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) {
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext=false");
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
