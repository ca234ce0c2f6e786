#include "client/core/quiet_watch.h"

#include <optional>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/quiet_hours.h"
#include "client/core/scheduler.h"
#include "client/core/session_view.h"
#include "client/core/summary.h"
#include "platform/do_not_disturb.h"

namespace lanzhou::core {

QuietWatch::QuietWatch(Scheduler& scheduler, const ClientSession& session,
                       const AlertListModel& alerts, SessionView& view)
    : m_session(session),
      m_alerts(alerts),
      m_view(view),
      m_timer(scheduler.makePeriodicTimer([this] { check(); })) {
    m_timer->start(kCheckPeriod);
}

QuietWatch::~QuietWatch() = default;

bool QuietWatch::holdsPopups() {
    return check();
}

bool QuietWatch::check() {
    const bool quiet = quietNow();
    const std::uint64_t placed = m_alerts.placedCount();
    if (quiet) {
        m_placedInQuiet = placed;
    } else {
        if (m_quiet && m_placedInQuiet > m_placedBeforeQuiet) {
            m_view.showSummary(SummaryReason::Quiet,
                               static_cast<int>(m_placedInQuiet - m_placedBeforeQuiet));
        }
        m_placedBeforeQuiet = placed;
    }
    m_quiet = quiet;
    return quiet;
}

bool QuietWatch::quietNow() const {
    const protocol::DateTime now = m_session.serverTime.now();
    // Before the server has told its time there is nothing to hold, and the
    // desktop is not asked.
    if (now == protocol::DateTime::zero()) {
        return false;
    }
    const std::optional<QuietHours> hours = parseQuietHours(m_session.quietFrom, m_session.quietTo);
    return (hours && hours->contains(now)) || platform::desktopDoNotDisturb();
}

}  // namespace lanzhou::core
