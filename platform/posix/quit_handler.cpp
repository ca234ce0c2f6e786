#include "platform/quit_handler.h"

#include <utility>

#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace lanzhou::platform {

namespace {

// The write end of the pipe the signal handler writes one byte into: the
// only thing an asynchronous signal handler may safely do here.
int g_quitPipeWrite = -1;

extern "C" void onTerminateSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_quitPipeWrite, &byte, 1);
    errno = saved;
}

}  // namespace

bool installQuitHandler(std::function<void()> handler) {
    if (g_quitPipeWrite >= 0 || !handler) {
        return false;  // installed once per process
    }
    int ends[2];
    if (::pipe(ends) != 0) {
        return false;  // SIGTERM keeps its default: the process ends all the same
    }
    ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);  // a burst of signals never blocks the handler
    g_quitPipeWrite = ends[1];

    // The reader lives as long as the process and blocks on the pipe.
    std::thread([readEnd = ends[0], handler = std::move(handler)] {
        char byte = 0;
        for (;;) {
            const auto got = ::read(readEnd, &byte, 1);
            if (got == 1) {
                handler();
            } else if (got < 0 && errno == EINTR) {
                continue;
            } else {
                return;
            }
        }
    }).detach();

    struct sigaction action {};
    action.sa_handler = onTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace lanzhou::platform
