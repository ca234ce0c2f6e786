#include "platform/do_not_disturb.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <shellapi.h>
// clang-format on

namespace lanzhou::platform {

bool askDesktopDoNotDisturb() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(SHQueryUserNotificationState(&state))) {
        return false;
    }
    switch (state) {
        case QUNS_BUSY:
        case QUNS_RUNNING_D3D_FULL_SCREEN:
        case QUNS_PRESENTATION_MODE:
        case QUNS_QUIET_TIME:
            return true;
        default:
            return false;
    }
}

}  // namespace lanzhou::platform
