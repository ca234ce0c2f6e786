#include "platform/crash_report.h"

#include "platform/windows/prelude.h"

#include <cstdio>

namespace lanzhou::platform {

namespace {

LONG WINAPI endOnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers != nullptr && pointers->ExceptionRecord != nullptr
                           ? pointers->ExceptionRecord->ExceptionCode
                           : 0xE0000000u;
    std::fprintf(stderr, "unhandled exception 0x%08lX: the process ends\n",
                 static_cast<unsigned long>(code));
    std::fflush(stderr);
    // Some hosts keep only the low 8 bits of the status: keep them non-zero.
    const UINT status = (code & 0xFFu) != 0 ? code : (code | 0xFFu);
    TerminateProcess(GetCurrentProcess(), status);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void reportCrashesAsFailures() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnUnhandledException);
}

}  // namespace lanzhou::platform
