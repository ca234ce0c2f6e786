#include "platform/crash_report.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#endif

namespace lanzhou::platform {

#ifdef _WIN32
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
#endif

void reportCrashesAsFailures() {
#ifdef _WIN32
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnUnhandledException);
#endif
}

}  // namespace lanzhou::platform
