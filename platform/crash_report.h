#pragma once

namespace lanzhou::platform {

// Makes a crash anywhere in this process (any thread) end it with a failure
// status and a line on standard error naming the fault. On Windows an
// unhandled exception otherwise goes to the system's crash debugger, which
// under some set-ups (Wine without its debugger) lets the process end with
// status 0. Elsewhere the default signal handling already does this.
void reportCrashesAsFailures();

}  // namespace lanzhou::platform
