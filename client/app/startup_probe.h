#pragma once

class QWidget;

namespace lanzhou::app {

// With LANZHOU_STARTUP_PROBE set in the environment, prints one line
// "lanzhou: login window shown" to standard output (flushed) when the
// window has been painted for the first time; scripts/bench measures the
// start-up time and memory at that moment. Otherwise does nothing.
void reportStartupWhenShown(QWidget* window);

}  // namespace lanzhou::app
