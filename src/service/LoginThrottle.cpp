#include "service/LoginThrottle.h"

#include <algorithm>

namespace nimbra::service {

namespace {

// A mistyped password or two costs nothing; an address may carry several people (NAT).
constexpr int kFreeAccountFailures = 5;
constexpr int kFreeAddressFailures = 20;
constexpr auto kLongestWait = std::chrono::seconds(300);
constexpr auto kForgetAfter = std::chrono::hours(1);
constexpr size_t kMaxRecords = 10'000;

std::chrono::seconds DelayAfter(int excessFailures) {
    return excessFailures > 9 ? kLongestWait : std::chrono::seconds(1 << (excessFailures - 1));
}

}  // namespace

std::chrono::seconds LoginThrottle::Left(const Table& table, const std::string& key,
                                         ServiceClock::TimePoint now) const {
    const auto it = table.find(key);
    if (it == table.end() || it->second.blockedUntil <= now)
        return std::chrono::seconds(0);
    // Rounded up: a client that waits this long is let through.
    return std::chrono::ceil<std::chrono::seconds>(it->second.blockedUntil - now);
}

std::chrono::seconds LoginThrottle::Attempt(const std::string& account, const std::string& address) {
    std::lock_guard lock(m_mutex);
    const auto now = m_clock.Now();
    const auto wait = std::max(Left(m_accounts, account, now), Left(m_addresses, address, now));
    if (wait.count() > 0)
        return wait;
    Count(m_accounts, account, kFreeAccountFailures, now);
    Count(m_addresses, address, kFreeAddressFailures, now);
    return wait;
}

void LoginThrottle::Count(Table& table, const std::string& key, int freeFailures,
                          ServiceClock::TimePoint now) {
    Trim(table, now);
    Record& record = table[key];
    if (record.failures > 0 && now - record.lastFailure >= kForgetAfter)
        record = Record{};
    ++record.failures;
    record.lastFailure = now;
    if (record.failures > freeFailures)
        record.blockedUntil = now + DelayAfter(record.failures - freeFailures);
}

void LoginThrottle::Succeeded(const std::string& account, const std::string& address) {
    std::lock_guard lock(m_mutex);
    m_accounts.erase(account);
    m_addresses.erase(address);
}

void LoginThrottle::Trim(Table& table, ServiceClock::TimePoint now) {
    if (table.size() < kMaxRecords)
        return;
    for (auto it = table.begin(); it != table.end();)
        it = now - it->second.lastFailure >= kForgetAfter ? table.erase(it) : std::next(it);
    if (table.size() < kMaxRecords)
        return;
    const auto oldest = std::min_element(table.begin(), table.end(), [](const auto& a, const auto& b) {
        return a.second.lastFailure < b.second.lastFailure;
    });
    table.erase(oldest);
}

}  // namespace nimbra::service
