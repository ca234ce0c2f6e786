#pragma once

#include <chrono>
#include <memory>

namespace lanzhou::platform {

// The receiving side of askProcessToQuit for a program without a window
// system of its own (tools, test programs). From construction on, a quit
// request is held until wait() takes it: on Windows the listener owns a
// hidden top-level window of the calling thread; elsewhere SIGTERM is
// blocked in the calling thread (construct it before starting threads).
class QuitRequestListener final {
public:
    QuitRequestListener();
    ~QuitRequestListener();
    QuitRequestListener(const QuitRequestListener&) = delete;
    QuitRequestListener& operator=(const QuitRequestListener&) = delete;

    // Blocks until this process is asked to quit (true) or `limit` passes.
    // Call it on the constructing thread.
    bool wait(std::chrono::milliseconds limit);

    struct State;

private:
    std::unique_ptr<State> m_state;
};

}  // namespace lanzhou::platform
