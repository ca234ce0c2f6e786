// Shared main of the window tests: the offscreen platform (also when the
// program is run outside ctest, as gtest_discover_tests does), a quiet audio
// driver, then QApplication, then GoogleTest.

#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <QApplication>

#include <cstdlib>

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
