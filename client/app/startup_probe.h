#pragma once

class QWidget;

namespace lanzhou::app {

// With LANZHOU_STARTUP_PROBE set in the environment, prints one line
// "lanzhou: login window shown" to standard output (flushed) when the
// window has been painted for the first time; scripts/bench measures the
// start-up time and memory at that moment. Otherwise does nothing.
void reportStartupWhenShown(QWidget* window);

// With LANZHOU_STARTUP_PROBE set, prints "lanzhou: prompt shown: " and the
// text of each prompt window (UTF-8) to standard output when it is first
// painted, so that a script sees what the member was told. Otherwise does
// nothing.
void reportPromptsWhenShown();

}  // namespace lanzhou::app
