// A recorder's accounts as the session side uses them: each keeps a salted, stretched verifier
// instead of its password (what the store holds logs nobody in), and wrong passwords are
// counted per source address and per account, so a guesser is slowed down however many
// addresses it uses, and one at another desk does not lock out the installer for long.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "quorn/Crypto.h"
#include "quorn/Protocol.h"

namespace tesmara::devsim {

struct SimUser;
struct SessionState;
struct SessionFaults;

// Makes the account's verifier from its configured password (once; the password is then
// forgotten). `random` supplies the salt. False when the random source or hashing fails.
using RandomSource = bool (*)(void*, size_t);
bool EnsureLoginKey(SimUser& user, uint32_t count, RandomSource random);
// A new password: fresh salt, new verifier.
bool SetPassword(SimUser& user, const std::string& password, uint32_t count, RandomSource random);
// Whether `password` is the account's (constant time in the key comparison).
bool PasswordMatches(const SimUser& user, const std::string& password);

// The salt a name without an account is answered: the same for every request with that name,
// as a real account's is, so that the answer does not tell names apart. Made from the name and
// the device's secret (made once from `random`). False when the random source fails.
bool UnknownNameSalt(SessionState& state, const std::string& name, RandomSource random,
                     std::array<uint8_t, quorn::kSaltSize>& salt);

// Wrong passwords per key (a source address, or an account). After `lockAfter` in a row the
// key is refused for `baseMs`, doubled with every further wrong one (up to an hour); a right
// one clears it. An entry is forgotten once its lock has run out and its last wrong password
// is an hour old. A table full of entries not yet forgotten takes no new key: such a key is
// refused (locked) until room is made, rather than guessing without a count.
class LoginThrottle {
  public:
    LoginThrottle() = default;
    explicit LoginThrottle(size_t capacity) : m_capacity(capacity) {}
    bool Locked(const std::string& key, int64_t nowMs) const;
    void Failed(const std::string& key, int64_t nowMs, uint32_t lockAfter, uint32_t baseMs);
    void Succeeded(const std::string& key) { m_entries.erase(key); }
    void Clear() { m_entries.clear(); }

  private:
    struct Entry {
        uint32_t failures = 0;
        int64_t untilMs = 0;
        int64_t lastMs = 0;  // the last wrong password
    };
    static bool Forgotten(const Entry& e, int64_t nowMs);
    size_t m_capacity = 4096;
    std::map<std::string, Entry> m_entries;
};

// One password try (a login proof, or the current password of a user modify) from `source`
// for `account` (empty: a name without an account). Allowed unless the source or the account
// is locked out; a wrong one counts against both, a right one clears both.
bool TryAllowed(const SessionState& state, const std::string& source, const std::string& account,
                int64_t nowMs);
void TryFailed(SessionState& state, const std::string& source, const std::string& account,
               int64_t nowMs, const SessionFaults& faults);
void TrySucceeded(SessionState& state, const std::string& source, const std::string& account);

}  // namespace tesmara::devsim
