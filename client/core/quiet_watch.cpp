#include "client/core/quiet_watch.h"

namespace lanzhou::core {

QuietWatch::QuietWatch(Scheduler& scheduler, const ClientSession& session,
                       const AlertListModel& alerts, SessionView& view)
    : m_scheduler(scheduler), m_session(session), m_alerts(alerts), m_view(view) {}

QuietWatch::~QuietWatch() = default;

bool QuietWatch::holdsPopups() {
    return false;
}

}  // namespace lanzhou::core
