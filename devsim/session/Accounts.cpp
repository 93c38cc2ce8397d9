#include "devsim/session/Accounts.h"

#include <algorithm>

#include "devsim/session/SessionState.h"
#include "quorn/Channel.h"

namespace tesmara::devsim {

namespace {

constexpr int64_t kMaxLockMs = 3600 * 1000;
// Sources remembered at most; beyond it those not locked now are forgotten first.
constexpr size_t kMaxSources = 4096;

}  // namespace

bool EnsureLoginKey(SimUser& user, uint32_t count, RandomSource random) {
    if (user.keyed) return true;
    return SetPassword(user, user.password, count, random);
}

bool SetPassword(SimUser& user, const std::string& password, uint32_t count, RandomSource random) {
    SimUser next = user;
    if (!random(next.salt.data(), next.salt.size()) ||
        !quorn::LoginKey(password, next.salt.data(), count, next.loginKey))
        return false;
    next.count = count;
    next.keyed = true;
    next.password.clear();
    user = next;
    return true;
}

bool PasswordMatches(const SimUser& user, const std::string& password) {
    quorn::Digest key;
    return user.keyed && quorn::LoginKey(password, user.salt.data(), user.count, key) &&
           quorn::DigestsEqual(key, user.loginKey);
}

bool LoginThrottle::Locked(const std::string& source, int64_t nowMs) const {
    auto it = m_entries.find(source);
    return it != m_entries.end() && nowMs < it->second.untilMs;
}

void LoginThrottle::Failed(const std::string& source, int64_t nowMs, uint32_t lockAfter,
                           uint32_t baseMs) {
    if (m_entries.size() >= kMaxSources && !m_entries.count(source)) {
        std::erase_if(m_entries, [&](const auto& e) { return e.second.untilMs <= nowMs; });
        if (m_entries.size() >= kMaxSources) return;
    }
    Entry& e = m_entries[source];
    e.failures++;
    if (e.failures < lockAfter) return;
    uint32_t doublings = std::min<uint32_t>(e.failures - lockAfter, 20);
    int64_t delay = std::min<int64_t>(int64_t(baseMs) << doublings, kMaxLockMs);
    e.untilMs = nowMs + delay;
}

}  // namespace tesmara::devsim
