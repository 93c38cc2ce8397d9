#include "quorn/Session.h"

#include <cstring>

#include "quorn/Messages.h"
#include "quorn/Protocol.h"
#include "quorn/Upgrade.h"

namespace quorn {

namespace {

constexpr int kConnectMs = 3000;
constexpr int kLoginMs = 5000;
constexpr int kLogoutMs = 1000;

// Reads frames one at a time during login, before the reader thread exists.
class LoginReader {
  public:
    explicit LoginReader(TcpHandle socket) : socket_(socket) {}

    // kOk with a frame, kLoginTimeout when the deadline passes, kLoginNetwork otherwise.
    int32_t Next(int64_t deadline, Frame& frame) {
        uint8_t buffer[4096];
        for (;;) {
            if (decoder_.Next(frame)) {
                if (frame.type == static_cast<uint8_t>(Type::KeepAlive)) continue;
                return kOk;
            }
            if (decoder_.Failed()) return kLoginNetwork;
            int64_t left = deadline - NowMs();
            if (left <= 0) return kLoginTimeout;
            int n = TcpReceive(socket_, buffer, sizeof buffer, static_cast<int>(left));
            if (n == kReceiveTimedOut) return kLoginTimeout;
            // Reset before the device said anything: nothing there takes sessions.
            if (n <= 0) return heard_ ? kLoginNetwork : kLoginNoHost;
            heard_ = true;
            decoder_.Feed(buffer, static_cast<size_t>(n));
        }
    }

  private:
    TcpHandle socket_;
    FrameDecoder decoder_;
    bool heard_ = false;
};

// What a device answers to a login step: a login status, or nonsense.
int32_t LoginStatus(int32_t answer) {
    return answer >= kLoginBadPassword && answer <= kLoginNoHost ? answer : kLoginNetwork;
}

}  // namespace

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Session::~Session() {
    if (socket_ != kNoSocket) TcpClose(socket_);
}

int32_t Session::Open(const char* address, uint16_t port, const char* user, const char* password,
                      QuornDeviceInfo* info, std::shared_ptr<Session>& out) {
    if (!address) return kLoginNoHost;
    if (!user) return kLoginNoSuchUser;
    if (!password) password = "";
    std::shared_ptr<Session> session(new Session());
    session->address_ = address;
    session->port_ = port;
    TcpHandle socket;
    ConnectResult connected = TcpConnect(address, port, kConnectMs, socket);
    if (connected != ConnectResult::Connected) return kLoginNoHost;
    session->socket_ = socket;
    TcpSetSendTimeout(socket, kIdleLimitMs);
    int64_t deadline = NowMs() + kLoginMs;
    LoginReader reader(socket);

    uint8_t clientNonce[kNonceSize];
    if (!RandomBytes(clientNonce, sizeof clientNonce)) return kLoginNetwork;
    Writer hello;
    hello.U16(kMinVersion).U16(kMaxVersion).Bytes(clientNonce, sizeof clientNonce);
    // The device may reset the connection before the hello even leaves: that is the same
    // refusal as a reset before any answer.
    if (!session->Send(Type::Hello, 1, hello.Data())) return kLoginNoHost;
    Frame frame;
    int32_t status = reader.Next(deadline, frame);
    if (status != kOk) return status;
    HelloReply offer;
    if (!DecodeHelloReply(frame, 1, offer)) return kLoginNetwork;
    // A device that refuses connections outright (busy, blacklisted) says so at once.
    if (offer.status != kOk) return LoginStatus(offer.status);
    if (offer.version < kMinVersion || offer.version > kMaxVersion) return kLoginNetwork;
    const uint8_t* serverNonce = offer.nonce.data();

    Digest proof;
    if (!LoginProof(password, serverNonce, clientNonce, user, proof) ||
        !SessionKey(password, serverNonce, clientNonce, user, session->key_))
        return kLoginNetwork;
    Writer login;
    login.Text(user).Bytes(proof.data(), proof.size());
    if (!session->Send(Type::Login, 2, login.Data())) return kLoginNetwork;
    status = reader.Next(deadline, frame);
    if (status != kOk) return status;
    LoginReply answer;
    if (!DecodeLoginReply(frame, 2, answer)) return kLoginNetwork;
    if (answer.status != kOk) return LoginStatus(answer.status);
    if (info) {
        std::memcpy(info->text, answer.text, sizeof info->text);
        info->value = answer.value;
        info->flag = answer.flag;
    }
    session->nextRequest_ = 2;
    out = std::move(session);
    return kOk;
}

void Session::Start(int32_t handle, LostHandler onLost) {
    handle_ = handle;
    onLost_ = onLost;
    std::lock_guard lock(mutex_);
    std::thread reader([self = shared_from_this()] { self->ReadLoop(); });
    reader_ = reader.get_id();
    readerDone_ = false;
    reader.detach();
}

bool Session::SendRaw(const std::vector<uint8_t>& bytes, bool mayWait) {
    std::unique_lock lock(writeMutex_, std::defer_lock);
    if (mayWait) {
        lock.lock();
    } else if (!lock.try_lock()) {
        return true;  // someone else is sending, which keeps the connection alive anyway
    }
    if (socket_ == kNoSocket) return false;
    if (!TcpSendAll(socket_, bytes.data(), bytes.size())) {
        TcpShutdown(socket_);  // the reader notices and ends the session
        return false;
    }
    lastSentMs_ = NowMs();
    return true;
}

bool Session::Send(Type type, uint32_t requestId, const std::vector<uint8_t>& payload) {
    return SendRaw(
        EncodeFrame(static_cast<uint8_t>(type), requestId, payload.data(), payload.size()), true);
}

int32_t Session::Request(Type type, const std::vector<uint8_t>& payload, int waitMs, Frame& reply) {
    return Request(type, NextRequestId(), payload, waitMs, reply);
}

int32_t Session::Request(Type type, uint32_t requestId, const std::vector<uint8_t>& payload,
                         int waitMs, Frame& reply) {
    Pending pending;
    {
        std::lock_guard lock(mutex_);
        if (!alive_) return kDisconnected;
        pending_[requestId] = &pending;
    }
    bool sent = Send(type, requestId, payload);
    std::unique_lock lock(mutex_);
    if (sent) {
        changed_.wait_for(lock, std::chrono::milliseconds(waitMs),
                          [&] { return pending.done || !alive_; });
    }
    pending_.erase(requestId);
    if (!pending.done) return alive_ && sent ? kTimeout : kDisconnected;
    reply = std::move(pending.reply);
    if (reply.type == ReplyOf(Type::Error))
        return DecodeStatusReply(reply, static_cast<uint8_t>(type), nullptr, nullptr);
    if (reply.type != ReplyOf(type)) return kProtocolError;
    return kOk;
}

int32_t Session::StatusRequest(Type type, const std::vector<uint8_t>& payload, int waitMs,
                               Frame& reply, Reader* rest) {
    return StatusRequest(type, NextRequestId(), payload, waitMs, reply, rest);
}

int32_t Session::StatusRequest(Type type, uint32_t requestId, const std::vector<uint8_t>& payload,
                               int waitMs, Frame& reply, Reader* rest) {
    int32_t status = Request(type, requestId, payload, waitMs, reply);
    if (status != kOk) return status;
    const uint8_t* tail = nullptr;
    size_t tailSize = 0;
    status = DecodeStatusReply(reply, static_cast<uint8_t>(type), &tail, &tailSize);
    if (rest) *rest = Reader(tail, tailSize);
    return status;
}

bool Session::Alive() {
    std::lock_guard lock(mutex_);
    return alive_;
}

void Session::AttachUpgrade(uint32_t requestId, const std::shared_ptr<Upgrade>& upgrade) {
    std::lock_guard lock(mutex_);
    upgrades_[requestId] = upgrade;
}

void Session::DetachUpgrade(uint32_t requestId) {
    std::lock_guard lock(mutex_);
    upgrades_.erase(requestId);
}

void Session::Dispatch(Frame& frame) {
    uint8_t type = frame.type;
    if (type == static_cast<uint8_t>(Type::UpgradeAck) ||
        type == static_cast<uint8_t>(Type::UpgradeState)) {
        std::shared_ptr<Upgrade> upgrade;
        {
            std::lock_guard lock(mutex_);
            auto it = upgrades_.find(frame.requestId);
            if (it != upgrades_.end()) upgrade = it->second.lock();
        }
        if (upgrade) upgrade->OnDeviceFrame(frame);
        return;
    }
    if (type & kReplyBit) {
        std::lock_guard lock(mutex_);
        auto it = pending_.find(frame.requestId);
        if (it != pending_.end()) {
            it->second->reply = std::move(frame);
            it->second->done = true;
            changed_.notify_all();
        }
        // A late reply to a request that gave up waiting is dropped.
    }
    // KeepAlive and frame types this version does not know are ignored.
}

void Session::ReadLoop() {
    FrameDecoder decoder;
    std::vector<uint8_t> buffer(64 * 1024);
    int64_t lastReceived = NowMs();
    lastSentMs_ = NowMs();
    for (;;) {
        int n = TcpReceive(socket_, buffer.data(), buffer.size(), 500);
        int64_t now = NowMs();
        if (n == kReceiveTimedOut) {
            if (now - lastReceived > kIdleLimitMs) break;  // silent device
        } else if (n <= 0) {
            break;
        } else {
            lastReceived = now;
            decoder.Feed(buffer.data(), static_cast<size_t>(n));
            Frame frame;
            while (decoder.Next(frame)) Dispatch(frame);
            if (decoder.Failed()) break;  // out of step: nothing later can be trusted
        }
        if (now - lastSentMs_ > kKeepAliveMs) {
            SendRaw(EncodeFrame(static_cast<uint8_t>(Type::KeepAlive), 0, nullptr, 0), false);
        }
    }
    Die();
}

void Session::Die() {
    std::vector<std::shared_ptr<Upgrade>> upgrades;
    bool notify;
    {
        std::lock_guard lock(mutex_);
        alive_ = false;
        notify = !closing_;
        for (auto& [id, weak] : upgrades_) {
            if (auto upgrade = weak.lock()) upgrades.push_back(std::move(upgrade));
        }
        upgrades_.clear();
        changed_.notify_all();
    }
    // Shutting down first ends a send blocked on another thread, which holds the write lock.
    TcpShutdown(socket_);
    {
        std::lock_guard lock(writeMutex_);
        TcpClose(socket_);
        socket_ = kNoSocket;
    }
    for (auto& upgrade : upgrades) upgrade->OnSessionLost();
    if (notify && onLost_) onLost_(handle_, address_, port_);
    std::lock_guard lock(mutex_);
    readerDone_ = true;
    changed_.notify_all();
}

void Session::Close() {
    bool wasAlive;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        wasAlive = alive_;
    }
    if (wasAlive) {
        Frame reply;
        Request(Type::Logout, {}, kLogoutMs, reply);
    }
    {
        std::lock_guard lock(writeMutex_);
        if (socket_ != kNoSocket) TcpShutdown(socket_);
    }
    std::unique_lock lock(mutex_);
    if (reader_ != std::this_thread::get_id()) changed_.wait(lock, [&] { return readerDone_; });
}

}  // namespace quorn
