#pragma once

#include <string_view>

namespace lanzhou::platform {

// Hands `gbkText` (a link, for example a messenger's chat link) to the
// desktop's default action for it, exactly as the text stands: on Windows the
// shell (ShellExecuteA: no verb, no parameters, the normal show state) with
// the text in the ANSI code page; elsewhere the desktop's opener, the first
// `xdg-open` on PATH, started detached with the text in UTF-8 as its one
// argument. False when nothing could be started; whether a program then
// takes the text is not known.
bool openWithDesktop(std::string_view gbkText);

}  // namespace lanzhou::platform
