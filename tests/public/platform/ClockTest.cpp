// The waits of the system clock keep the application's event loop turning; a manual clock only moves.

#include <gtest/gtest.h>

#include <QTimer>
#include <thread>

#include "CoreApp.h"
#include "platform/Clock.h"

namespace {

TEST(ClockTest, TheSystemClocksEventWaitDeliversWhatArrivesMeanwhile) {
    CoreApp();
    SystemClock clock;
    QObject receiver;  // takes any undelivered call with it
    bool delivered = false;
    QTimer::singleShot(0, &receiver, [&] { delivered = true; });
    clock.WaitProcessingEvents(1);
    EXPECT_TRUE(delivered);

    // Away from the application's thread there is no loop to turn: it only sleeps.
    bool deliveredElsewhere = false;
    QTimer::singleShot(0, &receiver, [&] { deliveredElsewhere = true; });
    std::thread([&] { clock.WaitProcessingEvents(1); }).join();
    EXPECT_FALSE(deliveredElsewhere);
}

TEST(ClockTest, AManualClocksEventWaitPassesItsTimeAtOnce) {
    ManualClock clock;
    uint64_t seen = 0;
    clock.OnSleep([&](uint64_t now) { seen = now; });
    clock.WaitProcessingEvents(1000);
    EXPECT_EQ(clock.TickCount(), 1000u);
    EXPECT_EQ(seen, 1000u);
    EXPECT_EQ(clock.SleepCount(), 1u);
}

}  // namespace
