#pragma once

#include "client/core/popup_gate.h"

namespace lanzhou::core {

class AlertListModel;
class Scheduler;
class SessionView;
struct ClientSession;

// Quiet hours: holds popups back while they last and tells the alerts
// listed meanwhile in one summary when they end. Session thread only.
class QuietWatch final : public PopupGate {
public:
    QuietWatch(Scheduler& scheduler, const ClientSession& session, const AlertListModel& alerts,
               SessionView& view);
    ~QuietWatch() override;

    [[nodiscard]] bool holdsPopups() override;

private:
    Scheduler& m_scheduler;
    const ClientSession& m_session;
    const AlertListModel& m_alerts;
    SessionView& m_view;
};

}  // namespace lanzhou::core
