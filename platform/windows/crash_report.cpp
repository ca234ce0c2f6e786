#include "platform/crash_report.h"

#include "platform/windows/prelude.h"

#include <cstdio>

namespace lanzhou::platform {

namespace {

// The return addresses of the faulting thread, from the fault's own
// context outwards, as "at 0x..." lines (for addr2line or a debugger).
void printStack(const CONTEXT& fault) {
#if defined(_M_X64) || defined(__x86_64__)
    CONTEXT context = fault;
    for (int frame = 0; frame < 32 && context.Rip != 0; ++frame) {
        std::fprintf(stderr, "  at 0x%016llX\n", static_cast<unsigned long long>(context.Rip));
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function == nullptr) {
            // A leaf function: its return address is on top of the stack.
            context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context,
                         &handlerData, &establisher, nullptr);
    }
#else
    (void)fault;
#endif
}

LONG WINAPI endOnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers != nullptr && pointers->ExceptionRecord != nullptr
                           ? pointers->ExceptionRecord->ExceptionCode
                           : 0xE0000000u;
    std::fprintf(stderr, "unhandled exception 0x%08lX: the process ends\n",
                 static_cast<unsigned long>(code));
    if (pointers != nullptr && pointers->ContextRecord != nullptr) {
        printStack(*pointers->ContextRecord);
    }
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
