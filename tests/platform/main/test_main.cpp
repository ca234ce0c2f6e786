// main() of the test programs on Windows: a crash on any thread ends the
// program with a failure status instead of going to a crash debugger.

#include <gmock/gmock.h>

#include "platform/crash_report.h"

int main(int argc, char** argv) {
    lanzhou::platform::reportCrashesAsFailures();
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
