#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace lanzhou::cli {

// One line of input; `overlong` when it exceeded the limit (its text is then
// dropped, not kept in part).
struct InputLine {
    std::string text;
    bool overlong = false;
};

// Reads lines from a stream on its own thread and hands each to `onLine`, then
// calls `onEnd` once at end of input or on a read error. Both run on the
// reader thread. Lines end with "\n" (a "\r" before it is dropped); a last line
// without "\n" still counts. A line longer than `maxLine` bytes is reported as
// overlong and its bytes are skipped without being stored.
class LineReader final {
public:
    using LineHandler = std::function<void(InputLine)>;
    using EndHandler = std::function<void()>;

    LineReader(std::FILE* input, std::size_t maxLine, LineHandler onLine, EndHandler onEnd);
    // Joins the thread if it has ended; otherwise leaves it blocked in its
    // read (it cannot be interrupted portably) and detaches it. The handlers
    // must then stay harmless: see main.cpp's gate.
    ~LineReader();

    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    void start();
    // True once end of input was reached and onEnd has returned.
    bool finished() const { return m_state->finished.load(); }

private:
    struct State {
        std::FILE* input = nullptr;
        std::size_t maxLine = 0;
        LineHandler onLine;
        EndHandler onEnd;
        std::atomic<bool> finished{false};
    };
    static void run(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace lanzhou::cli
