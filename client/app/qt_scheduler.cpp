#include "client/app/qt_scheduler.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <memory>
#include <utility>

namespace lanzhou::app {

namespace {

// Armed from any thread: the first arm since the last run starts a 10 ms
// single-shot timer on the GUI thread; arms until it fires add nothing. The
// flag is cleared before the work runs, so an arm made by the work itself
// gives one more run.
class QtDeferredAction final : public core::DeferredAction {
public:
    QtDeferredAction(QObject& context, std::function<void()> work) : m_work(std::move(work)) {
        m_timer = new QTimer(&context);
        m_timer->setSingleShot(true);
        m_timer->setInterval(static_cast<int>(core::kDeferredActionDelay.count()));
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] {
            m_armed.store(false);
            m_work();
        });
    }

    ~QtDeferredAction() override { delete m_timer.data(); }

    void arm() override {
        if (m_armed.exchange(true)) {
            return;
        }
        QPointer<QTimer> timer = m_timer;
        QMetaObject::invokeMethod(
            m_timer,
            [timer] {
                if (timer)
                    timer->start();
            },
            Qt::QueuedConnection);
    }

private:
    std::function<void()> m_work;
    QPointer<QTimer> m_timer;
    std::atomic<bool> m_armed{false};
};

class QtPeriodicTimer final : public core::PeriodicTimer {
public:
    QtPeriodicTimer(QObject& context, std::function<void()> work) {
        m_timer = new QTimer(&context);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, std::move(work));
    }

    ~QtPeriodicTimer() override { delete m_timer.data(); }

    void start(std::chrono::milliseconds period) override {
        if (!m_timer) {
            return;
        }
        if (period.count() <= 0) {
            m_timer->stop();
            return;
        }
        m_timer->start(static_cast<int>(period.count()));
    }

    void stop() override {
        if (m_timer) {
            m_timer->stop();
        }
    }

private:
    QPointer<QTimer> m_timer;
};

}  // namespace

QtScheduler::QtScheduler(QObject& context) : m_context(context) {}

void QtScheduler::post(std::function<void()> work) {
    QMetaObject::invokeMethod(&m_context, std::move(work), Qt::QueuedConnection);
}

std::unique_ptr<core::DeferredAction> QtScheduler::makeDeferredAction(std::function<void()> work) {
    return std::make_unique<QtDeferredAction>(m_context, std::move(work));
}

std::unique_ptr<core::PeriodicTimer> QtScheduler::makePeriodicTimer(std::function<void()> work) {
    return std::make_unique<QtPeriodicTimer>(m_context, std::move(work));
}

}  // namespace lanzhou::app
