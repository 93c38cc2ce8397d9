// One logged-in connection to a device. A reader thread owns the receiving side: it matches
// replies to waiting requests by request id, hands upgrade acknowledgements and states to the
// running upgrade, keeps the connection alive and notices when it dies. When the connection
// ends the reader closes the socket and ends at once (it is detached); the object itself stays
// for its handle, whose later calls then fail as disconnected.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quorn/Channel.h"
#include "quorn/Frame.h"
#include "quorn/Tcp.h"
#include "quorn/quorn.h"

namespace quorn {

class Upgrade;

// Told when a session dies without being closed by its owner.
using LostHandler = void (*)(int32_t handle, const std::string& address, uint16_t port);

class Session : public std::enable_shared_from_this<Session> {
  public:
    ~Session();

    // Connects, agrees a version and logs in. Returns the login status (0 or 1..9).
    static int32_t Open(const char* address, uint16_t port, const char* user, const char* password,
                        QuornDeviceInfo* info, std::shared_ptr<Session>& out);

    // Starts the reader; `handle` is what the lost handler is told.
    void Start(int32_t handle, LostHandler onLost);

    // Sends a request and waits up to waitMs for its reply. Returns a status; on kOk `reply`
    // holds the reply frame. A device Error frame yields its status.
    int32_t Request(Type type, const std::vector<uint8_t>& payload, int waitMs, Frame& reply);
    uint32_t NextRequestId() { return nextRequest_.fetch_add(1) + 1; }
    // With `cancel`: the wait also ends, with kBadState, once it is set and Wake is called.
    int32_t Request(Type type, uint32_t requestId, const std::vector<uint8_t>& payload, int waitMs,
                    Frame& reply, const std::atomic<bool>* cancel = nullptr);
    // Makes waiting requests look at their `cancel` again.
    void Wake();

    // A request whose reply starts with a status: returns that status (or the failure to get
    // a reply). `rest` reads what follows the status inside `reply`.
    int32_t StatusRequest(Type type, const std::vector<uint8_t>& payload, int waitMs, Frame& reply,
                          Reader* rest = nullptr);
    int32_t StatusRequest(Type type, uint32_t requestId, const std::vector<uint8_t>& payload,
                          int waitMs, Frame& reply, Reader* rest = nullptr,
                          const std::atomic<bool>* cancel = nullptr);

    // One frame, no reply expected. False when the connection is gone, or when `stop` gave the
    // frame up: before any byte of it left (the connection stays) or part way (the connection
    // ends, as a frame cut short leaves the device unable to find the next one).
    bool Send(Type type, uint32_t requestId, const std::vector<uint8_t>& payload);
    bool Send(Type type, uint32_t requestId, const uint8_t* payload, size_t size,
              const std::function<bool()>& stop = {}) {
        return SendFrame(static_cast<uint8_t>(type), requestId, payload, size, true, stop);
    }

    // Polite logout (bounded wait) and teardown; no lost notification follows. Waits for the
    // reader to end unless called on it (from the disconnect callback).
    void Close();

    bool Alive();

    // The tool itself changed the password of the account `userEntry` names (a user entry as
    // DevModifyUser takes it): the device's next salt for it is to be expected.
    void PasswordChanged(const void* userEntry);

    // Upgrade frames are routed by the request id of their UpgradeBegin.
    void AttachUpgrade(uint32_t requestId, const std::shared_ptr<Upgrade>& upgrade);
    void DetachUpgrade(uint32_t requestId);

  private:
    Session() = default;
    void ReadLoop();
    void Die();
    void Dispatch(Frame& frame);
    // Seals (once the channel is up) and sends under the write lock, so that frames leave in
    // the order of their sequence numbers. Each frame leaves within kIdleLimitMs or the
    // connection ends.
    bool SendFrame(uint8_t type, uint32_t requestId, const uint8_t* payload, size_t size,
                   bool mayWait, const std::function<bool()>& stop = {});
    int32_t Handshake(const char* user, const char* password, QuornDeviceInfo* info);

    struct Pending {
        bool done = false;
        Frame reply;
    };

    TcpHandle socket_ = kNoSocket;  // after Start: used and closed under writeMutex_
    std::string address_;
    uint16_t port_ = 0;
    int32_t handle_ = 0;
    LostHandler onLost_ = nullptr;
    std::atomic<uint32_t> nextRequest_{0};

    // Sending side under writeMutex_; receiving side on the login thread, then the reader.
    RecordLayer record_;
    std::vector<uint8_t> sendBuffer_;  // under writeMutex_
    std::mutex writeMutex_;
    std::atomic<int64_t> lastSentMs_{0};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<uint32_t, Pending*> pending_;
    bool alive_ = true;
    bool closing_ = false;
    std::map<uint32_t, std::weak_ptr<Upgrade>> upgrades_;
    std::thread::id reader_;
    bool readerDone_ = true;
};

int64_t NowMs();

}  // namespace quorn
