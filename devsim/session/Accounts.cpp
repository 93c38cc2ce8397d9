#include "devsim/session/Accounts.h"

#include <algorithm>
#include <cstring>

#include "devsim/session/SessionState.h"
#include "quorn/Channel.h"
#include "quorn/SessionProof.h"

namespace tesmara::devsim {

namespace {

constexpr int64_t kMaxLockMs = 3600 * 1000;
// How long a count outlives its last wrong password.
constexpr int64_t kForgetMs = 3600 * 1000;

}  // namespace

bool EnsureLoginKey(SimUser& user, uint32_t count, RandomSource random) {
    if (user.keyed) return true;
    return SetPassword(user, user.password, count, random);
}

bool SetPassword(SimUser& user, const std::string& password, uint32_t count, RandomSource random) {
    SimUser next = user;
    quorn::Digest loginKey;
    bool made = random(next.salt.data(), next.salt.size()) &&
                quorn::LoginKey(password, next.salt.data(), count, loginKey) &&
                quorn::MakeVerifier(loginKey, next.verifier);
    quorn::SecureWipe(loginKey);
    if (!made) return false;
    next.count = count;
    next.keyed = true;
    next.password.clear();
    user = next;
    return true;
}

bool PasswordMatches(const SimUser& user, const std::string& password) {
    quorn::Digest loginKey;
    quorn::LoginVerifier given;
    bool matches = user.keyed &&
                   quorn::LoginKey(password, user.salt.data(), user.count, loginKey) &&
                   quorn::MakeVerifier(loginKey, given) &&
                   quorn::DigestsEqual(given.storedKey, user.verifier.storedKey);
    quorn::SecureWipe(loginKey);
    quorn::SecureWipe(given.storedKey);
    quorn::SecureWipe(given.deviceKey);
    return matches;
}

bool UnknownNameSalt(SessionState& state, const std::string& name, RandomSource random,
                     std::array<uint8_t, quorn::kSaltSize>& salt) {
    if (!state.secretMade) {
        if (!random(state.secret.data(), state.secret.size())) return false;
        state.secretMade = true;
    }
    static constexpr char kLabel[] = "unknown account salt";
    std::string message(kLabel, sizeof kLabel);  // with its terminator, then the name
    message += name;
    quorn::Digest mac;
    if (!quorn::HmacSha256(state.secret.data(), state.secret.size(), message.data(), message.size(),
                           mac))
        return false;
    std::memcpy(salt.data(), mac.data(), salt.size());
    return true;
}

bool LoginThrottle::Forgotten(const Entry& e, int64_t nowMs) {
    return nowMs >= e.untilMs && nowMs - e.lastMs >= kForgetMs;
}

bool LoginThrottle::Locked(const std::string& key, int64_t nowMs) const {
    auto it = m_entries.find(key);
    if (it != m_entries.end() && !Forgotten(it->second, nowMs)) return nowMs < it->second.untilMs;
    if (it != m_entries.end() || m_entries.size() < m_capacity) return false;
    // Full: a wrong password from this key could not be counted.
    return std::none_of(m_entries.begin(), m_entries.end(),
                        [&](const auto& e) { return Forgotten(e.second, nowMs); });
}

void LoginThrottle::Failed(const std::string& key, int64_t nowMs, uint32_t lockAfter,
                           uint32_t baseMs) {
    auto it = m_entries.find(key);
    if (it != m_entries.end() && Forgotten(it->second, nowMs)) it->second = Entry{};
    if (it == m_entries.end() && m_entries.size() >= m_capacity) {
        std::erase_if(m_entries, [&](const auto& e) { return Forgotten(e.second, nowMs); });
        if (m_entries.size() >= m_capacity) return;
    }
    Entry& e = m_entries[key];
    e.failures++;
    e.lastMs = nowMs;
    if (e.failures < lockAfter) return;
    uint32_t doublings = std::min<uint32_t>(e.failures - lockAfter, 20);
    int64_t delay = std::min<int64_t>(int64_t(baseMs) << doublings, kMaxLockMs);
    e.untilMs = nowMs + delay;
}

bool TryAllowed(const SessionState& state, const std::string& source, const std::string& account,
                int64_t nowMs) {
    return !state.throttle.Locked(source, nowMs) &&
           (account.empty() || !state.accountThrottle.Locked(account, nowMs));
}

void TryFailed(SessionState& state, const std::string& source, const std::string& account,
               int64_t nowMs, const SessionFaults& faults) {
    state.throttle.Failed(source, nowMs, faults.lockAfter, faults.lockoutMs);
    if (!account.empty())
        state.accountThrottle.Failed(account, nowMs, faults.accountLockAfter, faults.lockoutMs);
}

void TrySucceeded(SessionState& state, const std::string& source, const std::string& account) {
    state.throttle.Succeeded(source);
    state.accountThrottle.Succeeded(account);
}

}  // namespace tesmara::devsim
