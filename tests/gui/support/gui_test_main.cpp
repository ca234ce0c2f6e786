// Shared main of the window tests: the offscreen platform (also when the
// program is run outside ctest, as gtest_discover_tests does), a quiet audio
// driver, then QApplication, the desktop's do-not-disturb off, then
// GoogleTest.

#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <QApplication>

#include <cstdlib>

#include "platform/do_not_disturb.h"

#include <gtest/gtest.h>

namespace {

void setDefault(const char* name, const char* value) {
    if (qEnvironmentVariableIsEmpty(name)) {
        qputenv(name, value);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");
    setDefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    setDefault("SDL_AUDIODRIVER", "dummy");
    setDefault("QT_LOGGING_RULES", "qt.webenginecontext=false");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The desktop's own do-not-disturb would hold the popups the tests wait
    // for: off, unless a test sets it.
    lanzhou::platform::overrideDesktopDoNotDisturb(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
