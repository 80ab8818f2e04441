#include <gtest/gtest.h>

#include "service/LoginThrottle.h"

namespace nimbra::service::test {
namespace {

using std::chrono::seconds;

TEST(LoginThrottleTest, AnAccountWaitsLongerAfterEachFailureOnceItsFreeOnesAreSpent) {
    ServiceClock clock;
    LoginThrottle throttle(clock);
    // Attempts from changing addresses: only the account's count matters here.
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(throttle.Attempt("alice", "10.0.0." + std::to_string(i)), seconds(0)) << i;
    EXPECT_EQ(throttle.Attempt("alice", "10.0.1.1"), seconds(1));
    EXPECT_EQ(throttle.Attempt("bob", "10.0.1.1"), seconds(0));  // other names are not held up
    clock.Advance(seconds(1));
    EXPECT_EQ(throttle.Attempt("alice", "10.0.1.2"), seconds(0));
    EXPECT_EQ(throttle.Attempt("alice", "10.0.1.3"), seconds(2));
    clock.Advance(seconds(2));
    EXPECT_EQ(throttle.Attempt("alice", "10.0.1.4"), seconds(0));
    EXPECT_EQ(throttle.Attempt("alice", "10.0.1.5"), seconds(4));
    // However long the guessing goes on, a wait never passes five minutes.
    for (int i = 0; i < 20; ++i) {
        clock.Advance(throttle.Attempt("alice", "10.0.2.1"));
        throttle.Attempt("alice", "10.0.2.1");
    }
    EXPECT_EQ(throttle.Attempt("alice", "10.0.2.1"), seconds(300));
}

TEST(LoginThrottleTest, AnAddressTryingManyNamesIsHeldUpForEveryName) {
    ServiceClock clock;
    LoginThrottle throttle(clock);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(throttle.Attempt("user" + std::to_string(i), "192.0.2.7"), seconds(0)) << i;
    EXPECT_EQ(throttle.Attempt("someone-new", "192.0.2.7"), seconds(1));
    EXPECT_EQ(throttle.Attempt("someone-new", "192.0.2.8"), seconds(0));
}

TEST(LoginThrottleTest, ASuccessClearsTheCountAndAnHourWithoutFailuresForgetsIt) {
    ServiceClock clock;
    LoginThrottle throttle(clock);
    for (int i = 0; i < 6; ++i)
        throttle.Attempt("alice", "10.0.0.1");
    ASSERT_GT(throttle.Attempt("alice", "10.0.0.1").count(), 0);
    clock.Advance(seconds(1));
    ASSERT_EQ(throttle.Attempt("alice", "10.0.0.1"), seconds(0));
    throttle.Succeeded("alice", "10.0.0.1");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(throttle.Attempt("alice", "10.0.0.1"), seconds(0)) << i;

    clock.Advance(std::chrono::hours(1));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(throttle.Attempt("alice", "10.0.0.1"), seconds(0)) << i;
    EXPECT_EQ(throttle.Attempt("alice", "10.0.0.1"), seconds(1));
}

}  // namespace
}  // namespace nimbra::service::test
