// A recorder's accounts as the session side uses them: each keeps a salted, stretched login key
// instead of its password, and wrong passwords are counted per source address, so a guesser is
// slowed down without locking the account for everyone else.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "quorn/Crypto.h"
#include "quorn/Protocol.h"

namespace tesmara::devsim {

struct SimUser;

// Makes the account's login key from its configured password (once; the password is then
// forgotten). `random` supplies the salt. False when the random source or hashing fails.
using RandomSource = bool (*)(void*, size_t);
bool EnsureLoginKey(SimUser& user, uint32_t count, RandomSource random);
// A new password: fresh salt, new key.
bool SetPassword(SimUser& user, const std::string& password, uint32_t count, RandomSource random);
// Whether `password` is the account's (constant time in the key comparison).
bool PasswordMatches(const SimUser& user, const std::string& password);

// Wrong passwords per source address. After `lockAfter` in a row the source is refused for
// `baseMs`, doubled with every further wrong one (up to an hour); a right one clears it.
class LoginThrottle {
  public:
    bool Locked(const std::string& source, int64_t nowMs) const;
    void Failed(const std::string& source, int64_t nowMs, uint32_t lockAfter, uint32_t baseMs);
    void Succeeded(const std::string& source) { m_entries.erase(source); }
    void Clear() { m_entries.clear(); }

  private:
    struct Entry {
        uint32_t failures = 0;
        int64_t untilMs = 0;
    };
    std::map<std::string, Entry> m_entries;
};

}  // namespace tesmara::devsim
