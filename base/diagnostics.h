#pragma once

#include <functional>
#include <string_view>

namespace lanzhou {

// Where a failure that nobody waits for is told: a configuration write that
// did not reach the disk, an updater that did not start. Each program
// installs one sink at start-up (the CLI writes the line to standard error,
// the window programs hand it to their logging category); without a sink the
// report is dropped. Called on any thread; the sink must be thread-safe.
using DiagnosticSink = std::function<void(std::string_view area, std::string_view message)>;

// Replaces the sink (an empty function removes it). Not to be called while
// reports may be made on other threads.
void setDiagnosticSink(DiagnosticSink sink);

// Tells the sink, if there is one. `area` names the piece ("config",
// "update"), `message` is UTF-8.
void reportDiagnostic(std::string_view area, std::string_view message);

}  // namespace lanzhou
