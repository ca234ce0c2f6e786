#pragma once

#include <string>

namespace lanzhou::app {

// What every program that shows the client's windows does before it creates
// its QApplication: Qt's and the embedded browser's own debug, info and
// warning reports kept off standard error (unless QT_LOGGING_RULES or
// QTWEBENGINE_CHROMIUM_FLAGS say otherwise; quietForeignReports) and the
// shared OpenGL contexts the browser needs.
void prepareQtEnvironment();

// What every program that shows the client's windows does once its
// QApplication exists: the windows stay until the client ends them, the run
// directory (GBK path text) becomes the current directory, "宋体" maps to an
// installed Song-style face, and the application icon is set.
void setUpApplication(const std::string& runDirectoryGbk);

}  // namespace lanzhou::app
