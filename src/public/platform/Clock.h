#pragma once
// The clock that the component's blocking waits use (the engine wait of about 3 s, the 100 ms steps),
// injectable so that tests run those waits instantly.

#include <cstdint>
#include <functional>
#include <mutex>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; only differences mean something.
    virtual uint64_t TickCount() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // Waits the time with the thread's event loop turning (timers, input, repaints), so that windows do
    // not freeze; a clock other than the system's passes the time as Sleep does.
    virtual void WaitProcessingEvents(unsigned milliseconds) { Sleep(milliseconds); }

    // The process-wide clock: the system clock unless one was installed.
    static Clock& Current();
    // Installs a clock (null: back to the system clock). The caller keeps it alive while installed.
    static void SetCurrent(Clock* clock);
};

class SystemClock final : public Clock {
public:
    uint64_t TickCount() override;
    void Sleep(unsigned milliseconds) override;
    // Runs a local event loop when called on the application's thread, else sleeps.
    void WaitProcessingEvents(unsigned milliseconds) override;
};

// A clock that moves only when told or when slept on. A hook runs after every sleep so that a test can
// change the world the waiting code polls.
class ManualClock final : public Clock {
public:
    using SleepHook = std::function<void(uint64_t now)>;

    uint64_t TickCount() override;
    void Sleep(unsigned milliseconds) override;

    void Advance(uint64_t milliseconds);
    void OnSleep(SleepHook hook);
    // Total time slept and number of sleeps, for checking how a wait went.
    uint64_t SleptTotal() const;
    unsigned SleepCount() const;

private:
    mutable std::mutex m_mutex;
    uint64_t m_now = 0;
    uint64_t m_slept = 0;
    unsigned m_sleeps = 0;
    SleepHook m_hook;
};
