#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

#include "service/ServiceClock.h"

namespace nimbra::service {

// Slows down password guessing. After a few failed logins for one account name, or from one address, every
// further attempt must wait, twice as long after each failure (1 s, 2 s, 4 s ... at most 5 minutes); a
// success clears both. Names that do not exist are counted like the others, so that the answer tells
// nothing about which do. Records live in memory and are forgotten an hour after their last failure.
class LoginThrottle final {
public:
    explicit LoginThrottle(const ServiceClock& clock) : m_clock(clock) {}

    // Asks to check a password for `account` from `address`: how long the attempt must still wait, or zero
    // when it may be checked now. An attempt let through counts as a failure until Succeeded() says
    // otherwise, so that attempts made at the same time cannot slip past the count.
    std::chrono::seconds Attempt(const std::string& account, const std::string& address);
    void Succeeded(const std::string& account, const std::string& address);

private:
    struct Record {
        int failures = 0;
        ServiceClock::TimePoint lastFailure;
        ServiceClock::TimePoint blockedUntil;
    };
    using Table = std::unordered_map<std::string, Record>;

    void Count(Table& table, const std::string& key, int freeFailures, ServiceClock::TimePoint now);
    std::chrono::seconds Left(const Table& table, const std::string& key, ServiceClock::TimePoint now) const;
    // Keeps a table within its bound when someone tries very many names or addresses.
    void Trim(Table& table, ServiceClock::TimePoint now);

    const ServiceClock& m_clock;
    std::mutex m_mutex;
    Table m_accounts;
    Table m_addresses;
};

}  // namespace nimbra::service
