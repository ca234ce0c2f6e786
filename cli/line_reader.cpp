#include "cli/line_reader.h"

#include <array>
#include <cstring>

namespace lanzhou::cli {

LineReader::LineReader(std::FILE* input, std::size_t maxLine, LineHandler onLine, EndHandler onEnd)
    : m_state(std::make_shared<State>()) {
    m_state->input = input;
    m_state->maxLine = maxLine;
    m_state->onLine = std::move(onLine);
    m_state->onEnd = std::move(onEnd);
}

LineReader::~LineReader() {
    if (!m_thread.joinable()) {
        return;
    }
    if (finished()) {
        m_thread.join();
    } else {
        m_thread.detach();  // the thread keeps its State alive by itself
    }
}

void LineReader::start() {
    m_thread = std::thread([state = m_state] { run(state); });
}

void LineReader::run(const std::shared_ptr<State>& state) {
    std::array<char, 4096> buffer{};
    std::string line;
    bool overlong = false;
    auto deliver = [&] {
        if (!overlong && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        state->onLine(InputLine{overlong ? std::string() : std::move(line), overlong});
        line.clear();
        overlong = false;
    };
    bool pending = false;  // bytes of an unfinished line were read
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), state->input) != nullptr) {
        // fgets stops after "\n"; a NUL byte in the input would shorten the
        // piece, which only loses bytes of a line that is not JSON anyway.
        std::size_t length = std::strlen(buffer.data());
        const bool complete = length > 0 && buffer[length - 1] == '\n';
        if (complete) {
            --length;
        }
        if (!overlong) {
            if (line.size() + length > state->maxLine) {
                overlong = true;
                line.clear();
                line.shrink_to_fit();
            } else {
                line.append(buffer.data(), length);
            }
        }
        pending = !complete;
        if (complete) {
            deliver();
        }
    }
    if (pending) {
        deliver();
    }
    state->onEnd();
    state->finished.store(true);
}

}  // namespace lanzhou::cli
