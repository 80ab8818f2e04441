#include "platform/WindowTimers.h"

#include <gtest/gtest.h>

#include "CoreApp.h"

#include <QCoreApplication>
#include <QTimer>
#include <QTimerEvent>
#include <vector>

namespace {

class WindowTimersTest : public ::testing::Test {
protected:
    void SetUp() override { CoreApp(); }

    // Delivers what the event loop would deliver when timer id runs out, without waiting for it.
    void Expire(unsigned id) {
        QTimer* timer = m_timers.findChild<QTimer*>(QString::number(id));
        ASSERT_NE(timer, nullptr);
        QTimerEvent event(timer->timerId());
        QCoreApplication::sendEvent(timer, &event);
    }

    std::vector<unsigned> m_fired;
    WindowTimers m_timers{[this](unsigned id) { m_fired.push_back(id); }};
};

TEST_F(WindowTimersTest, EachIdRunsWithItsPeriodAndCallsBackWithItsId) {
    EXPECT_EQ(m_timers.SetTimer(1000, 1000), 1000u);
    m_timers.SetTimer(1002, 800);
    EXPECT_EQ(m_timers.Period(1000), 1000u);
    EXPECT_EQ(m_timers.Period(1002), 800u);

    Expire(1002);
    Expire(1000);
    EXPECT_EQ(m_fired, (std::vector<unsigned>{1002, 1000}));
}

TEST_F(WindowTimersTest, SettingAnIdAgainRestartsTheSameTimer) {
    m_timers.SetTimer(2, 3000);
    m_timers.SetTimer(2, 500);
    EXPECT_EQ(m_timers.Period(2), 500u);
    EXPECT_EQ(m_timers.ActiveIds(), std::vector<unsigned>{2});
    EXPECT_EQ(m_timers.findChildren<QTimer*>(QStringLiteral("2")).size(), 1);
}

TEST_F(WindowTimersTest, KilledTimersStopAndOnlyOnce) {
    m_timers.SetTimer(1, 800);
    m_timers.SetTimer(2, 800);
    EXPECT_TRUE(m_timers.KillTimer(1));
    EXPECT_FALSE(m_timers.KillTimer(1));
    EXPECT_FALSE(m_timers.IsActive(1));
    EXPECT_EQ(m_timers.Period(1), 0u);
    EXPECT_TRUE(m_timers.IsActive(2));

    m_timers.KillAll();
    EXPECT_TRUE(m_timers.ActiveIds().empty());
}

TEST_F(WindowTimersTest, ATimerMayKillItselfFromItsCallback) {
    WindowTimers* timers = nullptr;
    std::vector<unsigned> fired;
    WindowTimers tip([&](unsigned id) {
        fired.push_back(id);
        timers->KillTimer(id);  // the tip window hides and stops its timer when it fires
    });
    timers = &tip;
    tip.SetTimer(2, 0);
    EXPECT_EQ(tip.Period(2), WindowTimers::kMinimumPeriod);

    QTimer* timer = tip.findChild<QTimer*>(QStringLiteral("2"));
    ASSERT_NE(timer, nullptr);
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
    EXPECT_EQ(fired, std::vector<unsigned>{2});
    EXPECT_FALSE(tip.IsActive(2));
    EXPECT_FALSE(timer->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tip.findChildren<QTimer*>().isEmpty());
}

}  // namespace
