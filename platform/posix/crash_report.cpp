#include "platform/crash_report.h"

namespace lanzhou::platform {

void reportCrashesAsFailures() {
    // The default signal handling already ends a crashed process with a
    // failure status.
}

}  // namespace lanzhou::platform
