#pragma once

#include <string>

namespace lanzhou::app {

// A command line the client cannot use, told to a member who started the
// client without a terminal (a Windows member never sees standard error):
// the prompt window with "启动参数有误：" and the reason (UTF-8), modal, until
// the member closes it or the program is asked to quit. Needs the
// QApplication.
void showUsagePrompt(const std::string& reason);

}  // namespace lanzhou::app
