#include "quorn/Session.h"

#include <cstring>
#include <set>

#include "quorn/Messages.h"
#include "quorn/Protocol.h"
#include "quorn/SessionProof.h"
#include "quorn/Upgrade.h"

namespace quorn {

namespace {

constexpr int kConnectMs = 3000;
constexpr int kLoginMs = 5000;
constexpr int kLogoutMs = 1000;

// Reads frames one at a time during login, before the reader thread exists. Once the channel
// is up every frame must open; then only the awaited reply (or an Error reply to it) counts and
// anything else (keep-alives, unknown types, replies with other ids) is passed over.
class LoginReader {
  public:
    LoginReader(TcpHandle socket, RecordLayer& record) : socket_(socket), record_(record) {}

    // kOk with a frame, kLoginTimeout when the deadline passes, kLoginNetwork otherwise.
    int32_t Next(int64_t deadline, Type awaited, uint32_t requestId, Frame& frame) {
        uint8_t buffer[4096];
        for (;;) {
            if (decoder_.Next(frame)) {
                if (record_.Active() && !record_.Open(frame)) return kLoginNetwork;
                if (frame.requestId == requestId &&
                    (frame.type == ReplyOf(awaited) || frame.type == ReplyOf(Type::Error)))
                    return kOk;
                continue;
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
    RecordLayer& record_;
    FrameDecoder decoder_;
    bool heard_ = false;
};

// What a device answers to a login step: a login status, or nonsense.
int32_t LoginStatus(int32_t answer) {
    return answer >= kLoginBadPassword && answer <= kLoginNoHost ? answer : kLoginNetwork;
}

// The login status an Error reply stands for.
int32_t RefusalOf(const Frame& frame, uint8_t requestType) {
    return LoginStatus(DecodeStatusReply(frame, requestType, nullptr, nullptr));
}

// The salt and count each account of each device asked for at its last good login, for the
// process. A device that later asks for others is not taken at its word: whoever answers in its
// place may be after a proof it can guess passwords against offline, cheaply with a count or a
// salt of its own choosing. Only the tool's own password change lets them change. Devices are
// known by address, which the tool may hand to another device: a pair that another good login
// gave is no choice of an impostor's and is taken.
class StretchMemory {
  public:
    bool Allows(const std::string& account, const LoginParamsReply& offer) {
        std::lock_guard lock(mutex_);
        auto it = known_.find(account);
        return it == known_.end() || Pair(it->second) == Pair(offer) ||
               proven_.count(Pair(offer)) != 0;
    }
    void Remember(const std::string& account, const LoginParamsReply& offer) {
        std::lock_guard lock(mutex_);
        known_[account] = offer;
        proven_.insert(Pair(offer));
    }
    void Forget(const std::string& account) {
        std::lock_guard lock(mutex_);
        known_.erase(account);
    }

  private:
    using SaltAndCount = std::pair<std::array<uint8_t, kSaltSize>, uint32_t>;
    static SaltAndCount Pair(const LoginParamsReply& offer) { return {offer.salt, offer.count}; }
    std::mutex mutex_;
    std::map<std::string, LoginParamsReply> known_;
    std::set<SaltAndCount> proven_;
};

StretchMemory& Stretches() {
    static StretchMemory memory;
    return memory;
}

// A device by the address and port it is dialled at, and one of its accounts.
std::string AccountOf(const std::string& address, uint16_t port, std::string_view user) {
    std::string key = address + ":" + std::to_string(port);
    key.push_back('\0');
    key.append(user);
    return key;
}

// What the handshake must not leave behind, wiped however it ends.
struct HandshakeSecrets {
    KeyShare share;
    X25519Key shared{};
    ChannelKeys keys;
    Digest loginKey{};
    LoginVerifier verifier;
    Digest proof{};
    Digest expected{};
    ~HandshakeSecrets() {
        SecureWipe(share.privateKey);
        SecureWipe(shared);
        SecureWipe(keys.clientToDevice);
        SecureWipe(keys.deviceToClient);
        SecureWipe(loginKey);
        SecureWipe(verifier.storedKey);
        SecureWipe(verifier.deviceKey);
        SecureWipe(proof);
        SecureWipe(expected);
    }
};

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
    int32_t status = session->Handshake(user, password, info);
    if (status != kOk) return status;
    session->nextRequest_ = 3;
    out = std::move(session);
    return kOk;
}

int32_t Session::Handshake(const char* user, const char* password, QuornDeviceInfo* info) {
    int64_t deadline = NowMs() + kLoginMs;
    LoginReader reader(socket_, record_);
    HandshakeSecrets secrets;
    KeyShare& share = secrets.share;
    if (!NewKeyShare(share)) return kLoginNetwork;
    Writer hello;
    hello.U16(kMinVersion).U16(kMaxVersion).Bytes(share.publicKey.data(), share.publicKey.size());
    Transcript transcript;
    transcript.Add(hello.Data());
    // The device may reset the connection before the hello even leaves: that is the same
    // refusal as a reset before any answer.
    if (!Send(Type::Hello, 1, hello.Data())) return kLoginNoHost;
    Frame frame;
    int32_t status = reader.Next(deadline, Type::Hello, 1, frame);
    if (status != kOk) return status;
    // A refusal before the channel is up is anybody's word, not the device's: it is shown as a
    // device that could not be verified, never as a wrong password or a locked account.
    if (frame.type == ReplyOf(Type::Error)) return kLoginNetwork;
    HelloReply offer;
    if (!DecodeHelloReply(frame, 1, offer) || offer.status != kOk) return kLoginNetwork;
    if (offer.version < kMinVersion || offer.version > kMaxVersion) return kLoginNetwork;
    transcript.Add(frame.payload);
    Digest helloHash;
    bool up = X25519SharedSecret(share.privateKey, offer.publicKey, secrets.shared) &&
              transcript.Hash(helloHash) &&
              DeriveChannelKeys(secrets.shared, helloHash, secrets.keys) &&
              record_.Start(secrets.keys.clientToDevice, secrets.keys.deviceToClient);
    if (!up) return kLoginNetwork;

    Writer params;
    params.Text(user);
    transcript.Add(params.Data());
    if (!Send(Type::LoginParams, 2, params.Data())) return kLoginNetwork;
    status = reader.Next(deadline, Type::LoginParams, 2, frame);
    if (status != kOk) return status;
    if (frame.type == ReplyOf(Type::Error)) return RefusalOf(frame, ReplyOf(Type::LoginParams));
    LoginParamsReply stretch;
    if (!DecodeLoginParamsReply(frame, 2, stretch)) return kLoginNetwork;
    if (stretch.status != kOk) return LoginStatus(stretch.status);
    // A device (or someone posing as one) asking for a cheap stretch would make a captured
    // proof cheap to guess against; an endless one would hold this thread.
    if (stretch.count < kLoginCountFloor || stretch.count > kLoginCountCeiling)
        return kLoginNetwork;
    const std::string account = AccountOf(address_, port_, user);
    if (!Stretches().Allows(account, stretch)) return kLoginNetwork;
    transcript.Add(frame.payload);
    Digest hash;
    bool proved = LoginKey(password, stretch.salt.data(), stretch.count, secrets.loginKey) &&
                  transcript.Hash(hash) && ClientProof(secrets.loginKey, hash, secrets.proof) &&
                  MakeVerifier(secrets.loginKey, secrets.verifier) &&
                  DeviceProof(secrets.verifier, hash, secrets.expected);
    if (!proved) return kLoginNetwork;
    if (!Send(Type::Login, 3, secrets.proof.data(), secrets.proof.size())) return kLoginNetwork;
    status = reader.Next(deadline, Type::Login, 3, frame);
    if (status != kOk) return status;
    if (frame.type == ReplyOf(Type::Error)) return RefusalOf(frame, ReplyOf(Type::Login));
    LoginReply answer;
    if (!DecodeLoginReply(frame, 3, answer)) return kLoginNetwork;
    if (answer.status != kOk) return LoginStatus(answer.status);
    // Only a device that holds the account's verifier can answer this: anything else poses as
    // one.
    if (!DigestsEqual(answer.proof, secrets.expected)) return kLoginNetwork;
    Stretches().Remember(account, stretch);
    if (info) {
        std::memcpy(info->text, answer.text, sizeof info->text);
        info->value = answer.value;
        info->flag = answer.flag;
    }
    return kOk;
}

void Session::PasswordChanged(const void* userEntry) {
    const char* slot = static_cast<const char*>(userEntry) + kUserNameOffset;
    Stretches().Forget(
        AccountOf(address_, port_, std::string_view(slot, strnlen(slot, kUserNameSize))));
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

bool Session::SendFrame(uint8_t type, uint32_t requestId, const uint8_t* payload, size_t size,
                        bool mayWait, const std::function<bool()>& stop) {
    std::unique_lock lock(writeMutex_, std::defer_lock);
    if (mayWait) {
        lock.lock();
    } else if (!lock.try_lock()) {
        return true;  // someone else is sending, which keeps the connection alive anyway
    }
    if (socket_ == kNoSocket) return false;
    // Given up before it is sealed: the frame never was, and the connection stays sound.
    if (stop && stop()) return false;
    if (record_.Active()) {
        if (!record_.Seal(type, requestId, payload, size, sendBuffer_)) {
            TcpShutdown(socket_);
            return false;
        }
    } else {
        sendBuffer_ = EncodeFrame(type, requestId, payload, size);
    }
    if (!TcpSendAll(socket_, sendBuffer_.data(), sendBuffer_.size(), kIdleLimitMs, stop)) {
        TcpShutdown(socket_);  // failed or cut short: the reader notices and ends the session
        return false;
    }
    lastSentMs_ = NowMs();
    return true;
}

bool Session::Send(Type type, uint32_t requestId, const std::vector<uint8_t>& payload) {
    return SendFrame(static_cast<uint8_t>(type), requestId, payload.data(), payload.size(), true);
}

int32_t Session::Request(Type type, const std::vector<uint8_t>& payload, int waitMs, Frame& reply) {
    return Request(type, NextRequestId(), payload, waitMs, reply);
}

int32_t Session::Request(Type type, uint32_t requestId, const std::vector<uint8_t>& payload,
                         int waitMs, Frame& reply, const std::atomic<bool>* cancel) {
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
                          [&] { return pending.done || !alive_ || (cancel && *cancel); });
    }
    pending_.erase(requestId);
    if (!pending.done && cancel && *cancel) return kBadState;
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

void Session::Wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

int32_t Session::StatusRequest(Type type, uint32_t requestId, const std::vector<uint8_t>& payload,
                               int waitMs, Frame& reply, Reader* rest,
                               const std::atomic<bool>* cancel) {
    int32_t status = Request(type, requestId, payload, waitMs, reply, cancel);
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
            bool intact = true;
            while (intact && decoder.Next(frame)) {
                // Altered, replayed or reordered: whoever sent it is not our device.
                intact = record_.Open(frame);
                if (intact) Dispatch(frame);
            }
            if (!intact || decoder.Failed()) break;  // nothing later can be trusted
        }
        if (now - lastSentMs_ > kKeepAliveMs) {
            SendFrame(static_cast<uint8_t>(Type::KeepAlive), 0, nullptr, 0, false);
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
