// What a recorder keeps for its sessions (accounts, configuration bytes, firmware identity,
// upgrade and session bookkeeping) and how it misbehaves on the session side. Part of
// DeviceState and DeviceBehaviour, so the discovery side and the session side share one state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "devsim/session/Accounts.h"
#include "quorn/Crypto.h"
#include "quorn/SessionProof.h"

namespace tesmara::devsim {

struct SimUser {
    std::string name;
    std::string password;      // as configured; forgotten once the login key is made from it
    bool manageUsers = false;  // may change other accounts' passwords
    bool keyed = false;        // salt, count and verifier are made
    std::array<uint8_t, quorn::kSaltSize> salt{};
    uint32_t count = 0;
    quorn::LoginVerifier verifier{};
};

std::vector<SimUser> DefaultUsers();
std::array<uint8_t, 128> DefaultDisplayBlock();
std::array<uint8_t, 772> DefaultNetworkBlock();

struct SessionState {
    std::string model = "QX-NVR-0804";  // firmware images must name this model
    std::vector<SimUser> users = DefaultUsers();
    // Command 49 as stored; command 81's bytes that the device's fields do not cover.
    std::array<uint8_t, 128> displayBlock = DefaultDisplayBlock();
    std::array<uint8_t, 772> networkBlock = DefaultNetworkBlock();
    LoginThrottle throttle;         // wrong passwords per source, until the device restarts
    LoginThrottle accountThrottle;  // and per account
    // Whence the salts of names without an account come; made once.
    std::array<uint8_t, 32> secret{};
    bool secretMade = false;
    uint32_t sessions = 0;      // logged-in connections now
    bool upgrading = false;     // one image at a time
    uint32_t upgradesDone = 0;  // images written (for tests)
    uint32_t reboots = 0;
    // Connections the client closed while still logged in, without a logout and with no
    // restart in between: sessions a client left behind.
    uint32_t abandonedSessions = 0;
};

// Fixed when the fleet is built. Fleet-file keys in brackets.
struct SessionFaults {
    int32_t loginError = 0;       // [loginError] 1..7: every login answered with this code
    bool unreachable = false;     // [unreachable] connections are reset at once
    bool silent = false;          // [silent] connections are accepted and never answered
    uint32_t replyDelayMs = 0;    // [sessionDelayMs] every reply waits this long
    int64_t dropUpgradeAt = -1;   // [dropUpgradeAt] bytes of image, then the connection drops
    int64_t stallUpgradeAt = -1;  // [stallUpgradeAt] bytes of image, then nothing more is read
    // [stopReadingAt] bytes of image, then nothing more is read, but keep-alives still come
    int64_t stopReadingAt = -1;
    bool failGetConfig = false;      // [failGetConfig]
    bool failSetConfig = false;      // [failSetConfig]
    bool failImport = false;         // [failImport]
    bool failClock = false;          // [failClock] clock settings (command 8) are refused
    bool neverBack = false;          // [neverBack] stays offline after a restart
    bool keepVersion = false;        // [keepVersion] accepts an image, restarts, keeps its version
    uint32_t maxSessions = 64;       // [maxSessions] beyond it logins get code 7
    uint32_t lockAfter = 3;          // [lockAfter] wrong passwords in a row lock the source out
    uint32_t accountLockAfter = 10;  // [accountLockAfter] and from any sources, the account
    uint32_t lockoutMs = 30000;      // [lockoutMs] first lock-out; doubles with each further one
    uint32_t loginCount = 200000;    // [loginCount] password stretching count of new verifiers
    uint32_t writingMs = 1000;       // [writingMs] the device's own writing phase
    uint32_t upgradeWindow = 1024 * 1024;  // [upgradeWindow] bytes granted to an upgrade
    uint32_t offlineMs = 3000;             // [rebootOfflineMs] silent while it restarts
};

// Applies the session keys present in a fleet-file device entry ([users] is a list of
// {"name", "password", "manageUsers"}; [model] the firmware model). False with a reason when
// malformed.
bool ApplySessionFields(const nlohmann::json& entry, SessionState& state, SessionFaults& faults,
                        std::string* error);

}  // namespace tesmara::devsim
