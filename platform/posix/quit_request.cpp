#include "platform/quit_request.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>

#include <pthread.h>

namespace lanzhou::platform {

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

}  // namespace lanzhou::platform
