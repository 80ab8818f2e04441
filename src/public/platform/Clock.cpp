#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<Clock*> g_installed{nullptr};

}  // namespace

Clock& Clock::Current() {
    static SystemClock system;
    Clock* installed = g_installed.load();
    return installed ? *installed : system;
}

void Clock::SetCurrent(Clock* clock) {
    g_installed.store(clock);
}

uint64_t SystemClock::TickCount() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::Sleep(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SystemClock::WaitProcessingEvents(unsigned milliseconds) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        Sleep(milliseconds);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}

uint64_t ManualClock::TickCount() {
    std::lock_guard lock(m_mutex);
    return m_now;
}

void ManualClock::Sleep(unsigned milliseconds) {
    SleepHook hook;
    uint64_t now;
    {
        std::lock_guard lock(m_mutex);
        m_now += milliseconds;
        m_slept += milliseconds;
        ++m_sleeps;
        hook = m_hook;
        now = m_now;
    }
    if (hook) {
        hook(now);
    }
}

void ManualClock::Advance(uint64_t milliseconds) {
    std::lock_guard lock(m_mutex);
    m_now += milliseconds;
}

void ManualClock::OnSleep(SleepHook hook) {
    std::lock_guard lock(m_mutex);
    m_hook = std::move(hook);
}

uint64_t ManualClock::SleptTotal() const {
    std::lock_guard lock(m_mutex);
    return m_slept;
}

unsigned ManualClock::SleepCount() const {
    std::lock_guard lock(m_mutex);
    return m_sleeps;
}
