#include "platform/quit_handler.h"

namespace lanzhou::platform {

bool installQuitHandler(std::function<void()>) {
    return false;  // the quit message reaches the event loop by itself
}

}  // namespace lanzhou::platform
