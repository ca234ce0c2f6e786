#pragma once

#include <functional>

#include "cli/command_parser.h"
#include "cli/line_reader.h"

namespace lanzhou::core {
class SessionCore;
}

namespace lanzhou::cli {

class JsonView;

// Runs the commands of standard input on the session thread, each exactly as
// its window's button would: the same checks in the same order, the same
// request. Refusals become prompt events; unusable lines error events.
class CommandRunner final {
public:
    // `quit` ends the program with an exit status.
    CommandRunner(core::SessionCore& core, JsonView& view, std::function<void(int)> quit)
        : m_core(core), m_view(view), m_quit(std::move(quit)) {}

    void handle(const InputLine& line);
    void run(const Command& command);

private:
    void exportLists(const ExportCommand& command);
    void refused(const std::optional<core::FormRefusal>& refusal);

    core::SessionCore& m_core;
    JsonView& m_view;
    std::function<void(int)> m_quit;
};

}  // namespace lanzhou::cli
