// The desktop client's session thread: order, coalescing and thread hand-off.

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "client/app/qt_scheduler.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;

TEST(QtScheduler, WorkPostedFromAnotherThreadRunsOnTheGuiThreadInOrder) {
    QObject context;
    app::QtScheduler scheduler(context);
    std::vector<int> order;
    std::atomic<bool> offGuiThread{false};
    std::thread worker([&] {
        for (int i = 0; i < 1000; ++i) {
            scheduler.post([&, i] {
                if (QThread::currentThread() != context.thread()) {
                    offGuiThread = true;
                }
                order.push_back(i);
            });
        }
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 1000; }, 5000));
    EXPECT_FALSE(offGuiThread);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
    }
}

TEST(QtScheduler, ArmingAnArmedActionGivesOneRunAndArmingDuringTheRunGivesAnother) {
    QObject context;
    app::QtScheduler scheduler(context);
    int runs = 0;
    std::unique_ptr<core::DeferredAction> action;
    action = scheduler.makeDeferredAction([&] {
        if (++runs == 1) {
            action->arm();  // armed again by its own work: one more run
        }
    });
    std::thread worker([&] {
        action->arm();
        action->arm();
    });
    worker.join();
    action->arm();

    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 2; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(runs, 2);
}

TEST(QtScheduler, PeriodicTimerRepeatsUntilStoppedAndAPeriodOfZeroStopsIt) {
    QObject context;
    app::QtScheduler scheduler(context);
    int ticks = 0;
    auto timer = scheduler.makePeriodicTimer([&] { ++ticks; });
    timer->start(5ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    timer->start(0ms);
    const int stoppedAt = ticks;
    QTest::qWait(50);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(QtScheduler, ActionsDestroyedBeforeTheyRunNeverRun) {
    QObject context;
    app::QtScheduler scheduler(context);
    int runs = 0;
    auto action = scheduler.makeDeferredAction([&] { ++runs; });
    action->arm();
    action.reset();
    QTest::qWait(50);
    EXPECT_EQ(runs, 0);
}

}  // namespace
}  // namespace lanzhou::test
