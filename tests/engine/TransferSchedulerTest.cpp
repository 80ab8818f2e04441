#include "engine/TransferScheduler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace nimbra::engine {
namespace {

// Records which jobs the scheduler started, and lets the test end each one.
class JobLog {
public:
    void Started(int32_t id, TransferJob::Wake wake) {
        std::lock_guard lock(m_mutex);
        m_started.push_back(id);
        m_wakes[id] = std::move(wake);
        m_changed.notify_all();
    }
    // The ids started so far, once there are count of them.
    std::vector<int32_t> WaitForStarted(size_t count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_started.size() >= count; });
        return m_started;
    }
    void Finish(int32_t id) {
        TransferJob::Wake wake;
        {
            std::lock_guard lock(m_mutex);
            wake = m_wakes.at(id);
        }
        wake();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int32_t> m_started;
    std::map<int32_t, TransferJob::Wake> m_wakes;
};

// A job that waits, without any request, until the test ends it.
class HeldJob final : public TransferJob {
public:
    HeldJob(int32_t id, JobLog& log, bool light = false) : m_id(id), m_log(log), m_light(light) {}
    int32_t TaskId() const override { return m_id; }
    bool Light() const override { return m_light; }
    Step Advance(HttpRequest*) override {
        if (m_started) {
            return Step::Done;
        }
        m_started = true;
        m_log.Started(m_id, m_wake);
        return Step::Wait;
    }

private:
    int32_t m_id;
    JobLog& m_log;
    bool m_light;
    bool m_started = false;
};

TEST(TransferSchedulerTest, RunsAtMostTheLimitAndStartsWaitingJobsInArrivalOrder) {
    JobLog log;
    TransferScheduler scheduler(2);
    for (int32_t id = 1; id <= 4; ++id) {
        scheduler.Enqueue(std::make_unique<HeldJob>(id, log));
    }
    EXPECT_EQ(log.WaitForStarted(2), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(scheduler.PendingTaskJobs(), 4u);
    log.Finish(2);
    // The freed slot goes to the job that came first; the full slots keep job 4 waiting.
    EXPECT_EQ(log.WaitForStarted(3), (std::vector<int32_t>{1, 2, 3}));
    log.Finish(1);
    EXPECT_EQ(log.WaitForStarted(4), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(TransferSchedulerTest, CancelDropsQueuedAndRunningJobsAndUrgentJobsJumpTheQueue) {
    JobLog log;
    TransferScheduler scheduler(1);
    scheduler.Enqueue(std::make_unique<HeldJob>(1, log));
    scheduler.Enqueue(std::make_unique<HeldJob>(2, log));
    scheduler.Enqueue(std::make_unique<HeldJob>(3, log));
    EXPECT_EQ(log.WaitForStarted(1), (std::vector<int32_t>{1}));
    EXPECT_TRUE(scheduler.Cancel(2));  // queued
    EXPECT_FALSE(scheduler.Cancel(2));
    EXPECT_EQ(scheduler.PendingTaskJobs(), 2u);
    scheduler.Enqueue(std::make_unique<HeldJob>(9, log), true);
    EXPECT_TRUE(scheduler.Cancel(1));  // running: its slot goes to the urgent job, then to 3
    EXPECT_EQ(log.WaitForStarted(2), (std::vector<int32_t>{1, 9}));
    log.Finish(9);
    EXPECT_EQ(log.WaitForStarted(3), (std::vector<int32_t>{1, 9, 3}));
}

TEST(TransferSchedulerTest, LightJobsRunInSlotsOfTheirOwnAndPassJobsWaitingForAFullSizeSlot) {
    JobLog log;
    TransferScheduler scheduler(1, 2);
    scheduler.Enqueue(std::make_unique<HeldJob>(1, log));
    scheduler.Enqueue(std::make_unique<HeldJob>(2, log));
    for (int32_t id = 3; id <= 5; ++id) {
        scheduler.Enqueue(std::make_unique<HeldJob>(id, log, true));
    }
    EXPECT_EQ(log.WaitForStarted(3), (std::vector<int32_t>{1, 3, 4}));
    log.Finish(3);  // a light slot frees: the next light job, not the waiting full-size one
    EXPECT_EQ(log.WaitForStarted(4), (std::vector<int32_t>{1, 3, 4, 5}));
    log.Finish(1);
    EXPECT_EQ(log.WaitForStarted(5), (std::vector<int32_t>{1, 3, 4, 5, 2}));
}

}  // namespace
}  // namespace nimbra::engine
