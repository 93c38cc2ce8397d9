// Values both ends of the device protocol agree on: status codes, block sizes, limits, timing.
// docs/device-protocol.md describes each message.
#pragma once

#include <cstdint>

namespace quorn {

// Status codes. 0 is success. 1 to 9 are the login answers (also what DevLogin reports);
// the rest travel in replies and are what DevGetLastError reports after a failed call.
enum Status : int32_t {
    kOk = 0,
    kLoginBadPassword = 1,
    kLoginNoSuchUser = 2,
    kLoginTimeout = 3,
    kLoginRepeated = 4,
    kLoginLocked = 5,
    kLoginBlacklisted = 6,
    kLoginBusy = 7,
    kLoginNetwork = 8,  // connection broke or the peer spoke nonsense during login
    kLoginNoHost = 9,   // no connection could be made
    kInvalidHandle = 11,
    kInvalidArgument = 12,
    kTimeout = 13,
    kDisconnected = 14,
    kProtocolError = 15,
    kFileOpen = 16,
    kFileRead = 17,
    kFileTooLarge = 18,
    kBadState = 19,
    kUnknownCommand = 20,
    kBadSize = 21,
    kDeviceFailed = 22,
    kBadConfigFile = 23,
    kWrongModel = 24,
    kBadChecksum = 25,
    kBusy = 26,
    kWrongPassword = 27,
    kNoSuchUser = 28,
    kUnknownType = 29,
    kNoResources = 30,
    kNotPermitted = 31,  // the logged-in account lacks the right
};

constexpr uint16_t kMinVersion = 3;
constexpr uint16_t kMaxVersion = 3;
constexpr int kPublicKeySize = 32;
constexpr int kSaltSize = 16;
constexpr int kProofSize = 32;
// The password stretching count a device may ask for. Below the floor a captured login would
// be cheap to guess against; above the ceiling a hostile device could hold the client's thread
// for minutes. The floor is what a slow PC stretches in about 1 s (scripts/bench-login-stretch),
// so that a login at it stays well inside its 5 s even after a slow connect.
constexpr uint32_t kLoginCountFloor = 200000;
constexpr uint32_t kLoginCountCeiling = 1000000;

constexpr int kUserTableSize = 298480;
constexpr int kUserEntrySize = 1296;
constexpr int kUserEntriesOffset = 39020;
constexpr int kUserEntryCount = 50;  // entries the table holds
constexpr int kUserNameOffset = 8;
constexpr int kUserNameSize = 96;
constexpr int kUserPasswordOffset = 104;
constexpr int kUserPasswordSize = 96;

constexpr int kModifyUserPassword = 6;

// Upgrade streaming.
// The client keeps at most the window unacknowledged, in data frames of at most
// min(kUpgradeChunk, window) bytes; the device acknowledges whenever it has taken
// min(window / 2, kAckEvery) bytes since its last acknowledgement, and at the last byte. Each
// side then always waits for something the other is bound to send, whatever the window.
constexpr uint32_t kUpgradeChunk = 64 * 1024;
constexpr uint32_t kAckEvery = 256 * 1024;
constexpr uint32_t kMinWindow = 4 * 1024;
constexpr uint32_t kDefaultWindow = 1024 * 1024;
constexpr uint32_t kMaxWindow = 8 * 1024 * 1024;
constexpr uint8_t kUpgradeWriting = 1;   // UpgradeState: percentage of the device's own writing
constexpr uint8_t kUpgradeFinished = 2;  // UpgradeState: final status follows

// Silence: each side sends KeepAlive after kKeepAliveMs without sending anything, and drops
// the connection after kIdleLimitMs without receiving anything.
constexpr int kKeepAliveMs = 3000;
constexpr int kIdleLimitMs = 12000;

}  // namespace quorn
