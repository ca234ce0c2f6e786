#pragma once

#include <QObject>

#include "client/core/scheduler.h"

namespace lanzhou::app {

// The session thread of the desktop client is the GUI thread. Work posted
// from the transport's event thread arrives in the order it was posted (one
// queued call each); a DeferredAction is a coalescing one-shot 10 ms timer;
// periodic work runs on a QTimer.
class QtScheduler final : public core::Scheduler {
public:
    // `context` lives on the GUI thread; posted work dies with it.
    explicit QtScheduler(QObject& context);

    void post(std::function<void()> work) override;
    std::unique_ptr<core::DeferredAction> makeDeferredAction(std::function<void()> work) override;
    std::unique_ptr<core::PeriodicTimer> makePeriodicTimer(std::function<void()> work) override;

private:
    QObject& m_context;
};

}  // namespace lanzhou::app
