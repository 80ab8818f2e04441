// The waits between automatic tries, and the plan that hands tasks back when their wait is over, against a
// clock the test moves.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "ManualRetryClock.h"
#include "engine/Backoff.h"
#include "engine/NetworkRetries.h"

namespace nimbra::engine {
namespace {

using std::chrono::milliseconds;

TEST(BackoffTest, WaitsDoubleFromOneSecondUpToAMinuteAndJitterOnlyShortensThem) {
    const std::vector<milliseconds::rep> bases = {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000};
    for (size_t i = 0; i < bases.size(); ++i) {
        const int failures = static_cast<int>(i) + 1;
        EXPECT_EQ(Backoff::DelayFor(failures, 0.0).count(), bases[i]) << failures;
        EXPECT_EQ(Backoff::DelayFor(failures, 1.0).count(), bases[i] - bases[i] / 4) << failures;
        if (i > 0 && bases[i] < Backoff::kCap.count()) {
            // Whatever the jitter, a further failure never waits less than the one before.
            EXPECT_GT(Backoff::DelayFor(failures, 0.999999), Backoff::DelayFor(failures - 1, 0.0));
        }
    }
    // Long series and odd input stay within bounds.
    EXPECT_EQ(Backoff::DelayFor(1000000, 0.0), Backoff::kCap);
    EXPECT_EQ(Backoff::DelayFor(0, 0.0), Backoff::kFirst);
    EXPECT_EQ(Backoff::DelayFor(-5, 2.0).count(), 750);
}

// Records the tasks handed back, and lets the test wait for them.
class Returns {
public:
    void Add(int32_t id) {
        std::lock_guard lock(m_mutex);
        m_ids.push_back(id);
        m_changed.notify_all();
    }
    bool WaitForCount(size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_ids.size() >= count; });
    }
    std::vector<int32_t> Ids() {
        std::lock_guard lock(m_mutex);
        return m_ids;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int32_t> m_ids;
};

class NetworkRetriesTest : public ::testing::Test {
protected:
    std::shared_ptr<Task> MakeTask(int32_t id) {
        TaskRecord record;
        record.id = id;
        return std::make_shared<Task>(record);
    }

    std::shared_ptr<ManualRetryClock> clock = std::make_shared<ManualRetryClock>();
    Returns returns;
    NetworkRetries retries{clock, [this](const std::shared_ptr<Task>& task) { returns.Add(task->Id()); }};
};

TEST_F(NetworkRetriesTest, ATaskComesBackOnlyOnceItsWaitIsOverAndItsNextWaitIsLonger) {
    auto task = MakeTask(7);
    retries.Plan(task, false);
    const milliseconds first = *retries.DueIn(7);
    EXPECT_GT(first.count(), 750);
    EXPECT_LE(first.count(), 1000);
    clock->Advance(first - milliseconds(1));
    EXPECT_EQ(retries.DueIn(7), milliseconds(1));
    clock->Advance(milliseconds(1));
    ASSERT_TRUE(returns.WaitForCount(1));
    EXPECT_EQ(returns.Ids(), std::vector<int32_t>{7});
    EXPECT_FALSE(retries.DueIn(7));  // handed back: nothing planned until it fails again

    retries.Plan(task, false);
    EXPECT_GT(*retries.DueIn(7), first);
    // A try that moved bytes starts the series over.
    retries.Plan(task, true);
    EXPECT_LE(retries.DueIn(7)->count(), 1000);
}

TEST_F(NetworkRetriesTest, NeitherAForgottenNorAVanishedTaskComesBack) {
    auto forgotten = MakeTask(1);
    retries.Plan(forgotten, false);
    retries.Plan(forgotten, false);
    retries.Forget(1);
    EXPECT_FALSE(retries.DueIn(1));
    auto vanished = MakeTask(3);
    retries.Plan(vanished, false);
    vanished.reset();
    auto kept = MakeTask(2);
    retries.Plan(kept, false);
    clock->Advance(std::chrono::minutes(2));
    ASSERT_TRUE(returns.WaitForCount(1));
    EXPECT_EQ(returns.Ids(), std::vector<int32_t>{2});
    // Forgetting also reset the count: the next failure waits the shortest time again.
    retries.Plan(forgotten, false);
    EXPECT_LE(retries.DueIn(1)->count(), 1000);
}

}  // namespace
}  // namespace nimbra::engine
