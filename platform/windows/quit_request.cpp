#include "platform/quit_request.h"

#include "platform/windows/prelude.h"

#include <algorithm>

namespace lanzhou::platform {

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

}  // namespace lanzhou::platform
