// One firmware upgrade: streams the file to the device within the window the device grants,
// reports progress through the caller's callback and ends in exactly one final state within
// bounded time, whatever the device does.
//
// Threads: the session's reader only records what the device sent; one upgrade thread sends
// the image, watches the deadlines and makes every callback, with no lock held. Every field
// below the mutex is read and written under it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "quorn/Frame.h"
#include "quorn/Protocol.h"
#include "quorn/quorn.h"

namespace quorn {

class Session;

// Bounds of an upgrade (docs/device-protocol.md states them).
constexpr int kUpgradeBeginMs = 10000;               // answer to UpgradeBegin
constexpr int kUpgradeAckStallMs = 12000;            // data outstanding, no ack advances
constexpr int kUpgradeTransferBaseMs = 60000;        // whole transfer: this plus the size at ...
constexpr int kUpgradeMinBytesPerSecond = 8 * 1024;  // ... this average rate
constexpr int kUpgradeStateStallMs = 60000;          // writing phase, no new state
constexpr int kUpgradeWritingLimitMs = 600000;       // whole writing phase
// Transfer progress is reported at most once per this many milliseconds and per 1 % of the
// image; writing progress at most once per this many milliseconds.
constexpr int kUpgradeReportMs = 100;
// A frame under way when the caller closes may finish for this long; then it is cut short and
// the connection ends, so that a device that stopped reading holds nobody.
constexpr int kUpgradeCloseGraceMs = 500;

class Upgrade : public std::enable_shared_from_this<Upgrade> {
  public:
    // Takes ownership of `file`, already open, of `size` bytes.
    Upgrade(std::shared_ptr<Session> session, int32_t login, std::FILE* file, uint64_t size,
            QuornProgressCallback progress, void* user);
    ~Upgrade();

    void SetHandle(int32_t handle);
    // Asks the device to take the image and starts the upgrade thread. Returns a status; on
    // failure no callback follows.
    int32_t Start();
    // No more callbacks after this returns (unless one is already running on this thread).
    // Never waits for the connection: the upgrade thread tells the device to forget the
    // upgrade, and a start waiting for the device's answer gives up at once.
    void Close();

    // Reader thread of the session.
    void OnDeviceFrame(const Frame& frame);
    void OnSessionLost();

  private:
    enum class Phase { Idle, Starting, Running, Ended };
    // What the callback was last told, on the upgrade thread.
    struct Shown {
        uint64_t bytes = 0;
        int32_t percent = -1;
        int64_t atMs = 0;
        bool any = false;
    };

    void Run();
    // The next due deadline of the running upgrade (lock held).
    int64_t DeadlineMs() const;
    // Whether a frame of this upgrade sent since `startedMs` and still on its way should be
    // given up (lock held).
    bool GiveUpSending(int64_t now, int64_t startedMs) const;
    // Sends one frame of the upgrade thread, which gives it up when GiveUpSending says so.
    // Lock held; released during the send.
    bool SendOwn(std::unique_lock<std::mutex>& lock, Type type, uint32_t requestId,
                 const uint8_t* payload, size_t size);
    // Reports the newest progress if the rules allow it now (or `flush`); returns the time at
    // which a held-back report becomes due, or 0. Lock held; released during the callback.
    int64_t ReportProgress(std::unique_lock<std::mutex>& lock, Shown& shown, bool flush);
    // Decides the upgrade's end: -1 done, or -2 for `cause` (lock held).
    void End(int32_t result, int32_t cause);
    // Calls the callback unless closed. Lock held; released during the call.
    void Deliver(std::unique_lock<std::mutex>& lock, int32_t total, int32_t current);
    // Reads and sends one piece; false when the file could not be read (`readable` false), the
    // piece was given up or the connection is gone. Lock held; released while it works.
    bool SendChunk(std::unique_lock<std::mutex>& lock, std::vector<uint8_t>& payload,
                   uint64_t offset, uint32_t n, uint32_t requestId, bool& readable);

    std::shared_ptr<Session> session_;
    const int32_t login_;
    std::FILE* file_;  // read only by the upgrade thread
    const uint64_t size_;
    const QuornProgressCallback progress_;
    void* const user_;

    std::mutex mutex_;
    std::condition_variable changed_;
    int32_t handle_ = 0;
    uint32_t requestId_ = 0;
    Phase phase_ = Phase::Idle;
    uint64_t window_ = 0;
    uint32_t chunk_ = kUpgradeChunk;  // data frame size: never more than the window
    uint64_t acked_ = 0;
    int32_t writing_ = -1;  // newest writing percentage, -1 before the writing phase
    int32_t result_ = 0;    // 0 undecided, -1 done, -2 failed
    int32_t cause_ = 0;     // why it failed: what DevGetLastError tells the final callback
    bool abort_ = false;    // tell the device to forget the upgrade when it ends
    int64_t startedMs_ = 0;
    int64_t lastAckMs_ = 0;
    int64_t writingSinceMs_ = 0;  // when the last byte was acknowledged
    int64_t lastStateMs_ = 0;
    bool closed_ = false;
    int64_t closedMs_ = 0;
    std::atomic<bool> cancelBegin_{false};  // ends Start's wait for the device's answer
    bool inCallback_ = false;
    std::thread::id callbackThread_;
};

}  // namespace quorn
