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
    watchWhileNeeded();
}

QuietWatch::~QuietWatch() = default;

bool QuietWatch::holdsPopups() {
    return check();
}

void QuietWatch::quietHoursChanged() {
    check();
}

bool QuietWatch::check() {
    const bool quiet = quietNow();
    const std::uint64_t placed = m_alerts.placedCount();
    if (quiet) {
        if (!m_quiet && !m_watching) {
            // Found at a popup, not by the watch: the desktop's do-not-disturb
            // began unseen. The alerts from the one about to pop up on are
            // the ones it held.
            const bool alertWaits = m_session.popupRecord.kind.isAlert() && placed > 0;
            m_placedBeforeQuiet = placed - (alertWaits ? 1 : 0);
        }
        m_placedInQuiet = placed;
    } else {
        if (m_quiet && m_placedInQuiet > m_placedBeforeQuiet) {
            m_view.showSummary(SummaryReason::Quiet,
                               static_cast<int>(m_placedInQuiet - m_placedBeforeQuiet));
        }
        m_placedBeforeQuiet = placed;
    }
    m_quiet = quiet;
    watchWhileNeeded();
    return quiet;
}

void QuietWatch::watchWhileNeeded() {
    // Idle without quiet hours, the watch sleeps: the desktop's
    // do-not-disturb is asked at each popup, and watched only until it ends.
    const bool needed =
        m_quiet || parseQuietHours(m_session.quietFrom, m_session.quietTo).has_value();
    if (needed == m_watching) {
        return;
    }
    m_watching = needed;
    if (needed) {
        m_timer->start(kCheckPeriod);
    } else {
        m_timer->stop();
    }
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
