// The command the current user's Run key holds: the program in double
// quotes, so that a folder with spaces stays one argument.

#include <gtest/gtest.h>

#include "platform/autostart.h"

namespace lanzhou::platform {
namespace {

TEST(RunKeyCommand, ProgramIsQuoted) {
    EXPECT_EQ(autostartCommand(L"C:\\Program Files\\lanzhou\\lanzhou.exe"),
              "\"C:\\Program Files\\lanzhou\\lanzhou.exe\" --minimized");
    EXPECT_EQ(autostartCommand(L"D:\\股票\\lanzhou.exe"), "\"D:\\股票\\lanzhou.exe\" --minimized");
}

}  // namespace
}  // namespace lanzhou::platform
