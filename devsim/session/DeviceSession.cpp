#include "devsim/session/DeviceSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "devsim/session/ConfigBlocks.h"
#include "devsim/session/Images.h"
#include "devsim/session/SessionServer.h"
#include "quorn/Protocol.h"

namespace tesmara::devsim {

namespace {

using quorn::Frame;
using quorn::Reader;
using quorn::Type;
using quorn::Writer;

constexpr uint64_t kMaxImage = 0x7FFFFFFF;
// A connection that has not logged in by then is dropped (twice the client's own bound), so
// that keep-alives cannot hold one of the few places for connections without a login.
constexpr int64_t kLoginDeadlineMs = 10000;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint8_t T(Type type) {
    return static_cast<uint8_t>(type);
}

std::vector<uint8_t> StatusPayload(int32_t status) {
    Writer w;
    w.I32(status);
    return w.Data();
}

// The NUL-terminated text in a slot; false without a terminator.
bool SlotText(const uint8_t* slot, size_t size, std::string& text) {
    const void* end = std::memchr(slot, 0, size);
    if (!end) return false;
    text.assign(reinterpret_cast<const char*>(slot), static_cast<const uint8_t*>(end) - slot);
    return true;
}

// The client's address, which wrong passwords are counted against.
std::string PeerAddress(int fd) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    char text[INET_ADDRSTRLEN] = {};
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 ||
        peer.sin_family != AF_INET || !inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text))
        return "local";
    return text;
}

SimUser* FindUser(DeviceState& s, const std::string& name) {
    for (auto& u : s.session.users) {
        if (u.name == name) return &u;
    }
    return nullptr;
}

}  // namespace

DeviceSession::DeviceSession(SessionServer& server, SimDevice& device, int fd,
                             std::atomic<bool>* loggedIn)
    : m_server(server),
      m_device(device),
      m_fd(fd),
      m_address(device.Snapshot().address),
      m_peer(PeerAddress(fd)),
      m_loggedInFlag(loggedIn) {}

void DeviceSession::AssumeLoggedIn(const quorn::ChannelKeys& keys) {
    m_hello = true;
    m_paramsGiven = true;
    m_loggedIn = true;
    DeviceState s = m_device.Snapshot();
    m_account = s.session.users.empty() ? std::string() : s.session.users[0].name;
    m_record.Start(keys.deviceToClient, keys.clientToDevice);
}

bool DeviceSession::Send(uint8_t type, uint32_t requestId, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes;
    if (!m_record.Active()) {
        bytes = quorn::EncodeFrame(type, requestId, payload.data(), payload.size());
    } else if (!m_record.Seal(type, requestId, payload.data(), payload.size(), bytes)) {
        return false;
    }
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = send(m_fd, p, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    m_lastSentMs = NowMs();
    return true;
}

void DeviceSession::Delay() {
    uint32_t ms = m_device.Behaviour().session.replyDelayMs;
    if (ms) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool DeviceSession::Reply(const Frame& request, const std::vector<uint8_t>& payload) {
    Delay();
    return Send(request.type | quorn::kReplyBit, request.requestId, payload);
}

bool DeviceSession::ReplyStatus(const Frame& request, int32_t status) {
    return Reply(request, StatusPayload(status));
}

bool DeviceSession::ReplyError(const Frame& request, int32_t status) {
    Delay();
    return Send(quorn::ReplyOf(Type::Error), request.requestId, StatusPayload(status));
}

void DeviceSession::Run() {
    timeval tv{quorn::kIdleLimitMs / 1000, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    const auto& faults = m_device.Behaviour().session;
    quorn::FrameDecoder decoder;
    std::vector<uint8_t> buffer(64 * 1024);
    int64_t lastReceived = NowMs();
    m_lastSentMs = NowMs();
    const int64_t loginDeadline = NowMs() + kLoginDeadlineMs;
    Next next = Next::Continue;
    while (next == Next::Continue && !m_server.Stopping()) {
        pollfd p{m_fd, POLLIN, 0};
        int ready = poll(&p, 1, 500);
        if (ready < 0 && errno != EINTR) break;
        int64_t now = NowMs();
        if (ready > 0) {
            ssize_t n = recv(m_fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                m_clientLeft = true;
                next = Next::Drop;
                break;
            }
            lastReceived = now;
            if (faults.silent) continue;
            decoder.Feed(buffer.data(), static_cast<size_t>(n));
            Frame frame;
            while (next == Next::Continue && decoder.Next(frame)) next = Handle(frame);
            if (decoder.Failed()) {
                m_server.Log("session: " + m_address + ": malformed frame, connection closed");
                next = Next::Drop;
            }
        } else if (now - lastReceived > quorn::kIdleLimitMs) {
            next = Next::Drop;  // the client went silent
        }
        if (next == Next::Continue && !m_loggedIn && now > loginDeadline) {
            m_server.Log("session: " + m_address + ": no login from " + m_peer + " in time");
            next = Next::Drop;
        }
        // From the hello on, so that a client waiting for a slow login answer hears the device.
        if (next == Next::Continue && !faults.silent && m_hello &&
            now - m_lastSentMs > quorn::kKeepAliveMs) {
            Send(T(Type::KeepAlive), 0, {});
        }
    }
    Leave();
    if (next == Next::Close) {
        // Let the last answers reach the client before the connection goes.
        shutdown(m_fd, SHUT_WR);
        int64_t until = NowMs() + 1000;
        char sink[4096];
        while (NowMs() < until) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, 100) > 0 && recv(m_fd, sink, sizeof sink, 0) <= 0) break;
        }
    } else {
        shutdown(m_fd, SHUT_RDWR);
    }
}

void DeviceSession::Leave() {
    uint32_t generation = m_bootGeneration;
    bool loggedIn = m_loggedIn;
    bool upgrading = m_upgrading;
    m_device.Update([&](DeviceState& s) {
        if (s.session.reboots != generation) return;  // a restart already forgot us
        if (loggedIn && s.session.sessions > 0) s.session.sessions--;
        if (loggedIn && m_clientLeft) s.session.abandonedSessions++;
        if (upgrading) s.session.upgrading = false;
    });
    if (upgrading) m_server.UpgradeEnds();
    m_loggedIn = false;
    m_upgrading = false;
}

DeviceSession::Next DeviceSession::Handle(Frame& frame) {
    if (m_record.Active() && !m_record.Open(frame)) {
        m_server.Log("session: " + m_address + ": frame from " + m_peer +
                     " fails authentication, connection closed");
        return Next::Drop;
    }
    auto type = static_cast<Type>(frame.type);
    if (type == Type::KeepAlive) return Next::Continue;
    if (type == Type::Hello) return OnHello(frame);
    if (type == Type::LoginParams) return OnLoginParams(frame);
    if (type == Type::Login) return OnLogin(frame);
    if (!m_loggedIn) {
        ReplyError(frame, quorn::kBadState);
        return Next::Close;
    }
    switch (type) {
        case Type::Logout:
            ReplyStatus(frame, quorn::kOk);
            return Next::Close;
        case Type::GetConfig:
            return OnGetConfig(frame);
        case Type::SetConfig:
            return OnSetConfig(frame);
        case Type::ImportConfig:
            return OnImport(frame);
        case Type::Reboot:
            ReplyStatus(frame, quorn::kOk);
            m_server.Reboot(m_device);
            return Next::Close;
        case Type::GetUsers: {
            Writer w;
            w.I32(quorn::kOk);
            std::vector<uint8_t> table = UserTable(m_device.Snapshot());
            w.Bytes(table.data(), table.size());
            Reply(frame, w.Data());
            return Next::Continue;
        }
        case Type::ModifyUser:
            return OnModifyUser(frame);
        case Type::UpgradeBegin:
            return OnUpgradeBegin(frame);
        case Type::UpgradeData:
            return OnUpgradeData(frame);
        case Type::UpgradeAbort:
            if (m_upgrading && frame.requestId == m_upgradeId) EndUpgrade(-1);
            return Next::Continue;
        default:
            ReplyError(frame, quorn::kUnknownType);
            return Next::Continue;
    }
}

DeviceSession::Next DeviceSession::OnHello(const Frame& frame) {
    Reader r(frame.payload);
    uint16_t low = r.U16();
    uint16_t high = r.U16();
    const uint8_t* key = r.Bytes(quorn::kPublicKeySize);
    if (!r.Done() || m_hello) {
        ReplyError(frame, quorn::kProtocolError);
        return Next::Close;
    }
    m_hello = true;
    Writer refusal;
    if (low > quorn::kMaxVersion || high < quorn::kMinVersion) {
        refusal.I32(quorn::kProtocolError).U16(quorn::kMaxVersion);
        Reply(frame, refusal.Data());
        return Next::Close;
    }
    quorn::KeyShare share;
    quorn::X25519Key peer, shared;
    std::memcpy(peer.data(), key, peer.size());
    if (!m_server.Random()(share.privateKey.data(), share.privateKey.size()) ||
        !quorn::X25519PublicKey(share.privateKey, share.publicKey)) {
        // Without fresh randomness the channel's keys could repeat: no session at all.
        m_server.Log("session: " + m_address + ": random source failed, session refused");
        refusal.I32(quorn::kLoginBusy);
        Reply(frame, refusal.Data());
        return Next::Close;
    }
    Writer w;
    w.I32(quorn::kOk).U16(quorn::kMaxVersion).Bytes(share.publicKey.data(), share.publicKey.size());
    m_transcript.Add(frame.payload);
    m_transcript.Add(w.Data());
    quorn::Digest helloHash;
    quorn::ChannelKeys keys;
    bool agreed = quorn::X25519SharedSecret(share.privateKey, peer, shared) &&
                  m_transcript.Hash(helloHash) && quorn::DeriveChannelKeys(shared, helloHash, keys);
    quorn::SecureWipe(share.privateKey);
    quorn::SecureWipe(shared);
    if (!agreed) {
        m_server.Log("session: " + m_address + ": unusable key share from " + m_peer);
        refusal.I32(quorn::kProtocolError);
        Reply(frame, refusal.Data());
        return Next::Close;
    }
    Reply(frame, w.Data());
    // Everything after the hello reply is sealed, in both directions.
    bool started = m_record.Start(keys.deviceToClient, keys.clientToDevice);
    quorn::SecureWipe(keys.deviceToClient);
    quorn::SecureWipe(keys.clientToDevice);
    return started ? Next::Continue : Next::Drop;
}

DeviceSession::Next DeviceSession::OnLoginParams(const Frame& frame) {
    Reader r(frame.payload);
    std::string user = r.Text();
    if (!r.Done() || !m_record.Active() || m_paramsGiven) {
        ReplyError(frame, quorn::kProtocolError);
        return Next::Close;
    }
    m_paramsGiven = true;
    m_loginUser = user;
    const auto& faults = m_device.Behaviour().session;
    RandomSource random = m_server.Random();
    std::array<uint8_t, quorn::kSaltSize> salt{};
    uint32_t count = faults.loginCount;
    bool ok = m_device.Update([&](DeviceState& s) {
        SimUser* found = FindUser(s, user);
        // An unknown name gets a salt all the same, its own each time; the login answers 2.
        if (!found) return UnknownNameSalt(s.session, user, random, salt);
        if (!EnsureLoginKey(*found, faults.loginCount, random)) return false;
        salt = found->salt;
        count = found->count;
        return true;
    });
    Writer w;
    if (!ok) {
        m_server.Log("session: " + m_address + ": random source failed, session refused");
        w.I32(quorn::kLoginBusy);
        Reply(frame, w.Data());
        return Next::Close;
    }
    w.I32(quorn::kOk).Bytes(salt.data(), salt.size()).U32(count);
    m_transcript.Add(frame.payload);
    m_transcript.Add(w.Data());
    Reply(frame, w.Data());
    return Next::Continue;
}

DeviceSession::Next DeviceSession::OnLogin(const Frame& frame) {
    Reader r(frame.payload);
    const uint8_t* proof = r.Bytes(quorn::kProofSize);
    if (!r.Done() || !m_paramsGiven || m_loggedIn) {
        ReplyError(frame, quorn::kProtocolError);
        return Next::Close;
    }
    quorn::Digest given, transcript, deviceProof{};
    std::memcpy(given.data(), proof, given.size());
    m_transcript.Hash(transcript);
    const auto& faults = m_device.Behaviour().session;
    const std::string& user = m_loginUser;
    int32_t code = faults.loginError;
    if (code == 0) {
        int64_t now = NowMs();
        code = m_device.Update([&](DeviceState& s) -> int32_t {
            SimUser* found = FindUser(s, user);
            const std::string account = found ? user : std::string();
            if (!TryAllowed(s.session, m_peer, account, now)) return quorn::kLoginLocked;
            // Names are guessed like passwords: they count against the source.
            if (!found) {
                TryFailed(s.session, m_peer, account, now, faults);
                return quorn::kLoginNoSuchUser;
            }
            if (!found->keyed || !quorn::ClientProofMatches(found->verifier, transcript, given)) {
                TryFailed(s.session, m_peer, account, now, faults);
                return quorn::kLoginBadPassword;
            }
            TrySucceeded(s.session, m_peer, account);
            if (s.session.sessions >= faults.maxSessions) return quorn::kLoginBusy;
            s.session.sessions++;
            m_bootGeneration = s.session.reboots;
            quorn::DeviceProof(found->verifier, transcript, deviceProof);
            return quorn::kOk;
        });
    }
    Writer w;
    w.I32(code);
    if (code == quorn::kOk) {
        m_loggedIn = true;
        if (m_loggedInFlag) *m_loggedInFlag = true;
        m_account = user;
        DeviceState s = m_device.Snapshot();
        char info[48] = {};
        std::snprintf(info, sizeof info, "%s", s.session.model.c_str());
        w.Bytes(deviceProof.data(), deviceProof.size());
        w.Bytes(info, sizeof info).I32(8).U8(1);  // model, channels, one disk
    }
    m_server.Log("session: " + m_address + ": login " + user + " from " + m_peer + " -> " +
                 std::to_string(code));
    Reply(frame, w.Data());
    return code == quorn::kOk ? Next::Continue : Next::Close;
}

DeviceSession::Next DeviceSession::OnGetConfig(const Frame& frame) {
    Reader r(frame.payload);
    int32_t command = r.I32();
    r.I32();  // channel: one set of settings per recorder
    uint32_t capacity = r.U32();
    if (!r.Done()) return ReplyError(frame, quorn::kProtocolError), Next::Continue;
    if (m_device.Behaviour().session.failGetConfig)
        return ReplyStatus(frame, quorn::kDeviceFailed), Next::Continue;
    std::vector<uint8_t> block;
    int32_t status = ReadBlock(m_device.Snapshot(), command, block);
    if (status == quorn::kOk && capacity < block.size()) status = quorn::kBadSize;
    Writer w;
    w.I32(status);
    if (status == quorn::kOk) w.Bytes(block.data(), block.size());
    Reply(frame, w.Data());
    return Next::Continue;
}

DeviceSession::Next DeviceSession::OnSetConfig(const Frame& frame) {
    Reader r(frame.payload);
    int32_t command = r.I32();
    r.I32();
    if (!r.Ok()) return ReplyError(frame, quorn::kProtocolError), Next::Continue;
    size_t size = r.Remaining();
    const uint8_t* data = r.Bytes(size);
    const auto& faults = m_device.Behaviour().session;
    if (faults.failSetConfig || (faults.failClock && command == kCommandClock))
        return ReplyStatus(frame, quorn::kDeviceFailed), Next::Continue;
    int32_t status =
        m_device.Update([&](DeviceState& s) { return WriteBlock(s, command, data, size); });
    if (status == quorn::kOk && command == kCommandNetwork &&
        !m_server.EnsureListener(m_device.Snapshot().tcpPort))
        status = quorn::kDeviceFailed;
    ReplyStatus(frame, status);
    return Next::Continue;
}

DeviceSession::Next DeviceSession::OnImport(const Frame& frame) {
    if (m_device.Behaviour().session.failImport)
        return ReplyStatus(frame, quorn::kDeviceFailed), Next::Continue;
    std::vector<CoiBlock> blocks;
    int32_t status = quorn::kBadConfigFile;
    if (DecodeCoi(frame.payload, blocks)) {
        // All blocks or none.
        status = m_device.Update([&](DeviceState& s) -> int32_t {
            DeviceState copy = s;
            for (const auto& b : blocks) {
                if (WriteBlock(copy, b.command, b.data.data(), b.data.size()) != quorn::kOk)
                    return quorn::kBadConfigFile;
            }
            s = copy;
            return quorn::kOk;
        });
    }
    if (status == quorn::kOk) m_server.EnsureListener(m_device.Snapshot().tcpPort);
    m_server.Log("session: " + m_address + ": import -> " + std::to_string(status));
    ReplyStatus(frame, status);
    return Next::Continue;
}

DeviceSession::Next DeviceSession::OnModifyUser(const Frame& frame) {
    Reader r(frame.payload);
    int32_t command = r.I32();
    const uint8_t* first = r.Bytes(quorn::kUserEntrySize);
    const uint8_t* second = r.Bytes(quorn::kUserEntrySize);
    if (!r.Done()) return ReplyError(frame, quorn::kProtocolError), Next::Continue;
    if (command != quorn::kModifyUserPassword)
        return ReplyStatus(frame, quorn::kUnknownCommand), Next::Continue;
    std::string name, otherName, newPassword, oldPassword;
    bool ok = SlotText(first + quorn::kUserNameOffset, quorn::kUserNameSize, name) &&
              SlotText(second + quorn::kUserNameOffset, quorn::kUserNameSize, otherName) &&
              SlotText(first + quorn::kUserPasswordOffset, quorn::kUserPasswordSize, newPassword) &&
              SlotText(second + quorn::kUserPasswordOffset, quorn::kUserPasswordSize, oldPassword);
    int32_t status = quorn::kBadSize;
    if (ok && name != otherName) status = quorn::kDeviceFailed;
    if (ok && name == otherName) {
        const auto& faults = m_device.Behaviour().session;
        RandomSource random = m_server.Random();
        int64_t now = NowMs();
        status = m_device.Update([&](DeviceState& s) -> int32_t {
            SimUser* target = FindUser(s, name);
            if (!target) return quorn::kNoSuchUser;
            const SimUser* self = FindUser(s, m_account);
            if (name != m_account && !(self && self->manageUsers)) return quorn::kNotPermitted;
            // Guessing a current password here is guessing a login: same count, same lock-out.
            if (!TryAllowed(s.session, m_peer, name, now)) return quorn::kLoginLocked;
            if (!EnsureLoginKey(*target, faults.loginCount, random)) return quorn::kDeviceFailed;
            if (!PasswordMatches(*target, oldPassword)) {
                TryFailed(s.session, m_peer, name, now, faults);
                return quorn::kWrongPassword;
            }
            TrySucceeded(s.session, m_peer, name);
            return SetPassword(*target, newPassword, faults.loginCount, random)
                       ? quorn::kOk
                       : quorn::kDeviceFailed;
        });
    }
    m_server.Log("session: " + m_address + ": password of " + name + " -> " +
                 std::to_string(status));
    ReplyStatus(frame, status);
    return Next::Continue;
}

DeviceSession::Next DeviceSession::OnUpgradeBegin(const Frame& frame) {
    Reader r(frame.payload);
    uint64_t size = r.U64();
    if (!r.Done()) return ReplyError(frame, quorn::kProtocolError), Next::Continue;
    int32_t status = quorn::kOk;
    if (size < kImageHeaderSize || size > kMaxImage) status = quorn::kBadSize;
    if (status == quorn::kOk) {
        bool busy = m_device.Update([](DeviceState& s) {
            if (s.session.upgrading) return true;
            s.session.upgrading = true;
            return false;
        });
        if (busy) status = quorn::kBusy;
    }
    const uint32_t window = m_device.Behaviour().session.upgradeWindow;
    Writer w;
    w.I32(status).U32(window);
    if (status == quorn::kOk) {
        m_server.UpgradeStarts();
        m_upgrading = true;
        m_upgradeId = frame.requestId;
        m_expected = size;
        m_received = 0;
        m_lastAck = 0;
        m_window = window;
        m_ackEvery = std::min<uint64_t>(window / 2, quorn::kAckEvery);
        m_header.clear();
        m_hash.Finish();  // starts over
        m_server.Log("session: " + m_address + ": image of " + std::to_string(size) + " bytes");
    }
    Reply(frame, w.Data());
    return Next::Continue;
}

void DeviceSession::EndUpgrade(int32_t status) {
    if (status >= 0) {
        Writer w;
        w.U8(quorn::kUpgradeFinished).I32(status);
        Send(T(Type::UpgradeState), m_upgradeId, w.Data());
    }
    if (m_upgrading) m_server.UpgradeEnds();
    m_upgrading = false;
    m_device.Update([](DeviceState& s) { s.session.upgrading = false; });
}

void DeviceSession::Stall() {
    m_server.Log("session: " + m_address + ": stalls");
    // Neither read nor answer; the client's silence limit ends the connection.
    while (!m_server.Stopping()) {
        pollfd p{m_fd, POLLRDHUP, 0};
        if (poll(&p, 1, 200) > 0) return;
    }
}

void DeviceSession::StopReading() {
    m_server.Log("session: " + m_address + ": stops reading");
    // Takes nothing more, so that the client's sends back up, yet stays alive with keep-alives:
    // only the client's own bounds end its upgrade.
    while (!m_server.Stopping()) {
        pollfd p{m_fd, POLLRDHUP, 0};
        if (poll(&p, 1, 200) > 0) return;  // the client has gone
        if (NowMs() - m_lastSentMs > quorn::kKeepAliveMs && !Send(T(Type::KeepAlive), 0, {}))
            return;
    }
}

DeviceSession::Next DeviceSession::OnUpgradeData(const Frame& frame) {
    if (!m_upgrading || frame.requestId != m_upgradeId) return Next::Continue;  // after a failure
    Reader r(frame.payload);
    uint64_t offset = r.U64();
    size_t size = r.Remaining();
    const uint8_t* data = r.Bytes(size);
    if (!r.Ok() || offset != m_received || size > m_expected - m_received ||
        m_received + size > m_lastAck + m_window) {
        EndUpgrade(quorn::kProtocolError);
        return Next::Continue;
    }
    const auto& faults = m_device.Behaviour().session;
    if (faults.dropUpgradeAt >= 0 &&
        m_received + size >= static_cast<uint64_t>(faults.dropUpgradeAt)) {
        m_server.Log("session: " + m_address + ": drops the connection mid-transfer");
        return Next::Drop;
    }
    if (faults.stallUpgradeAt >= 0 &&
        m_received + size >= static_cast<uint64_t>(faults.stallUpgradeAt)) {
        Stall();
        return Next::Drop;
    }
    if (faults.stopReadingAt >= 0 &&
        m_received + size >= static_cast<uint64_t>(faults.stopReadingAt)) {
        StopReading();
        return Next::Drop;
    }
    size_t taken = 0;
    if (m_header.size() < kImageHeaderSize) {
        taken = std::min(size, kImageHeaderSize - m_header.size());
        m_header.insert(m_header.end(), data, data + taken);
        if (m_header.size() == kImageHeaderSize) {
            ImageHeader h;
            DeviceState s = m_device.Snapshot();
            int32_t status = quorn::kOk;
            if (!DecodeImageHeader(m_header.data(), h) ||
                h.payloadLength != m_expected - kImageHeaderSize)
                status = quorn::kBadChecksum;
            else if (h.model != s.session.model)
                status = quorn::kWrongModel;
            if (status != quorn::kOk) {
                m_server.Log("session: " + m_address + ": image refused -> " +
                             std::to_string(status));
                EndUpgrade(status);
                return Next::Continue;
            }
            m_newVersion = h.releaseVersion;
            m_newTime = h.releaseTime;
            m_expectedHash = h.payloadHash;
        }
    }
    m_hash.Update(data + taken, size - taken);
    m_received += size;
    if (m_received - m_lastAck >= m_ackEvery || m_received == m_expected) {
        Writer w;
        w.U64(m_received);
        Send(T(Type::UpgradeAck), m_upgradeId, w.Data());
        m_lastAck = m_received;
    }
    if (m_received < m_expected) return Next::Continue;
    // Nothing is written unless the payload is the one the header names.
    if (m_hash.Finish() != m_expectedHash) {
        m_server.Log("session: " + m_address + ": image hash wrong");
        EndUpgrade(quorn::kBadChecksum);
        return Next::Continue;
    }
    return FinishImage();
}

DeviceSession::Next DeviceSession::FinishImage() {
    // The device writes the image to its flash, reporting how far it got, then restarts.
    uint32_t writingMs = m_device.Behaviour().session.writingMs;
    for (int percent = 0; percent <= 100; percent += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(writingMs / 11));
        Writer w;
        w.U8(quorn::kUpgradeWriting).I32(percent);
        if (!Send(T(Type::UpgradeState), m_upgradeId, w.Data())) return Next::Drop;
    }
    const bool keepVersion = m_device.Behaviour().session.keepVersion;
    m_device.Update([&](DeviceState& s) {
        if (!keepVersion) {
            s.releaseVersion = m_newVersion;
            s.releaseTime = m_newTime;
        }
        s.session.upgradesDone++;
    });
    EndUpgrade(quorn::kOk);
    m_server.Log("session: " + m_address + ": upgraded to " + m_newVersion);
    m_server.Reboot(m_device);
    return Next::Close;
}

}  // namespace tesmara::devsim
