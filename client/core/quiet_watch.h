#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "client/core/popup_gate.h"

namespace lanzhou::core {

class AlertListModel;
class PeriodicTimer;
class Scheduler;
class SessionView;
struct ClientSession;

// Quiet hours: holds popups back while they last and tells the alerts
// listed meanwhile in one summary when they end. It is quiet inside the
// session's quiet hours, judged on the server's time, and while the desktop
// reports its do-not-disturb. Session thread only.
class QuietWatch final : public PopupGate {
public:
    // How often the watch looks whether quiet has begun or ended, so that the
    // end is noticed without new traffic (only while quiet hours are set or
    // it is quiet: an idle client without them does not wake up).
    static constexpr std::chrono::seconds kCheckPeriod{3};

    QuietWatch(Scheduler& scheduler, const ClientSession& session, const AlertListModel& alerts,
               SessionView& view);
    ~QuietWatch() override;

    [[nodiscard]] bool holdsPopups() override;
    // The member changed the quiet hours: looked at again at once.
    void quietHoursChanged();

private:
    // Whether it is quiet now; a change from quiet to not quiet with alerts
    // placed meanwhile shows the summary.
    bool check();
    bool quietNow() const;
    // The periodic look runs while quiet hours are set or it is quiet.
    void watchWhileNeeded();

    const ClientSession& m_session;
    const AlertListModel& m_alerts;
    SessionView& m_view;
    bool m_quiet = false;
    bool m_watching = false;
    // The lists' placed count when it was last seen not quiet and, inside
    // quiet, when it was last seen quiet: the alerts between the two arrived
    // during the quiet.
    std::uint64_t m_placedBeforeQuiet = 0;
    std::uint64_t m_placedInQuiet = 0;
    std::unique_ptr<PeriodicTimer> m_timer;
};

}  // namespace lanzhou::core
