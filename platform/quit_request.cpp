#include "platform/quit_request.h"

#include <algorithm>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <ctime>

#include <pthread.h>
#endif

namespace lanzhou::platform {

#ifdef _WIN32

struct QuitRequestListener::State {
    HWND window = nullptr;
};

QuitRequestListener::QuitRequestListener() : m_state(std::make_unique<State>()) {
    // A plain hidden top-level window (not a message-only one, which window
    // enumeration does not list).
    m_state->window = CreateWindowExW(0, L"STATIC", L"lanzhou quit listener", WS_OVERLAPPED, 0, 0,
                                      0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    // The thread's message queue exists from here on even without a window,
    // so a quit message posted to the thread is kept.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

QuitRequestListener::~QuitRequestListener() {
    if (m_state->window != nullptr) {
        DestroyWindow(m_state->window);
    }
}

bool QuitRequestListener::wait(std::chrono::milliseconds limit) {
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::max<long long>(0, limit.count()));
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return true;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
    }
}

#else

struct QuitRequestListener::State {
    sigset_t previous;
};

QuitRequestListener::QuitRequestListener() : m_state(std::make_unique<State>()) {
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &terminate, &m_state->previous);
}

QuitRequestListener::~QuitRequestListener() {
    pthread_sigmask(SIG_SETMASK, &m_state->previous, nullptr);
}

bool QuitRequestListener::wait(std::chrono::milliseconds limit) {
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    const auto count = std::max<long long>(0, limit.count());
    timespec timeout{static_cast<time_t>(count / 1000),
                     static_cast<long>(count % 1000) * 1'000'000};
    for (;;) {
        if (sigtimedwait(&terminate, nullptr, &timeout) == SIGTERM) {
            return true;
        }
        if (errno != EINTR) {
            return false;  // EAGAIN: the time is up
        }
    }
}

#endif

}  // namespace lanzhou::platform
