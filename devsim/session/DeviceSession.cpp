#include "devsim/session/DeviceSession.h"

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

}  // namespace

DeviceSession::DeviceSession(SessionServer& server, SimDevice& device, int fd)
    : m_server(server), m_device(device), m_fd(fd), m_address(device.Snapshot().address) {}

bool DeviceSession::Send(uint8_t type, uint32_t requestId, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes =
        quorn::EncodeFrame(type, requestId, payload.data(), payload.size());
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
    m_loggedIn = false;
    m_upgrading = false;
}

DeviceSession::Next DeviceSession::Handle(const Frame& frame) {
    auto type = static_cast<Type>(frame.type);
    if (type == Type::KeepAlive) return Next::Continue;
    if (type == Type::Hello) return OnHello(frame);
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
    const uint8_t* nonce = r.Bytes(sizeof m_clientNonce);
    if (!r.Done() || m_hello) {
        ReplyError(frame, quorn::kProtocolError);
        return Next::Close;
    }
    m_hello = true;
    std::memcpy(m_clientNonce, nonce, sizeof m_clientNonce);
    quorn::RandomBytes(m_serverNonce, sizeof m_serverNonce);
    bool versionOk = low <= quorn::kMaxVersion && high >= quorn::kMinVersion;
    Writer w;
    w.I32(versionOk ? quorn::kOk : quorn::kProtocolError).U16(quorn::kMaxVersion);
    w.Bytes(m_serverNonce, sizeof m_serverNonce);
    Reply(frame, w.Data());
    return versionOk ? Next::Continue : Next::Close;
}

DeviceSession::Next DeviceSession::OnLogin(const Frame& frame) {
    Reader r(frame.payload);
    std::string user = r.Text();
    const uint8_t* proof = r.Bytes(quorn::kProofSize);
    if (!r.Done() || !m_hello || m_loggedIn) {
        ReplyError(frame, quorn::kProtocolError);
        return Next::Close;
    }
    quorn::Digest given;
    std::memcpy(given.data(), proof, given.size());
    const auto& faults = m_device.Behaviour().session;
    int32_t code = faults.loginError;
    std::string password;
    if (code == 0) {
        code = m_device.Update([&](DeviceState& s) -> int32_t {
            SimUser* found = nullptr;
            for (auto& u : s.session.users) {
                if (u.name == user) found = &u;
            }
            if (!found) return quorn::kLoginNoSuchUser;
            if (found->locked) return quorn::kLoginLocked;
            quorn::Digest expected;
            quorn::LoginProof(found->password, m_serverNonce, m_clientNonce, user, expected);
            if (!quorn::DigestsEqual(expected, given)) {
                if (++found->failedLogins >= faults.lockAfter) found->locked = true;
                return quorn::kLoginBadPassword;
            }
            found->failedLogins = 0;
            if (s.session.sessions >= faults.maxSessions) return quorn::kLoginBusy;
            s.session.sessions++;
            m_bootGeneration = s.session.reboots;
            password = found->password;
            return quorn::kOk;
        });
    }
    Writer w;
    w.I32(code);
    if (code == quorn::kOk) {
        m_loggedIn = true;
        quorn::SessionKey(password, m_serverNonce, m_clientNonce, user, m_key);
        DeviceState s = m_device.Snapshot();
        char info[48] = {};
        std::snprintf(info, sizeof info, "%s", s.session.model.c_str());
        w.Bytes(info, sizeof info).I32(8).U8(1);  // model, channels, one disk
    }
    m_server.Log("session: " + m_address + ": login " + user + " -> " + std::to_string(code));
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
    uint8_t entries[2][quorn::kUserEntrySize];
    std::memcpy(entries[0], first, quorn::kUserEntrySize);
    std::memcpy(entries[1], second, quorn::kUserEntrySize);
    quorn::MaskPasswordField(m_key, frame.requestId, 1, entries[0] + quorn::kUserPasswordOffset);
    quorn::MaskPasswordField(m_key, frame.requestId, 2, entries[1] + quorn::kUserPasswordOffset);
    std::string name, otherName, newPassword, oldPassword;
    bool ok =
        SlotText(entries[0] + quorn::kUserNameOffset, quorn::kUserNameSize, name) &&
        SlotText(entries[1] + quorn::kUserNameOffset, quorn::kUserNameSize, otherName) &&
        SlotText(entries[0] + quorn::kUserPasswordOffset, quorn::kUserPasswordSize, newPassword) &&
        SlotText(entries[1] + quorn::kUserPasswordOffset, quorn::kUserPasswordSize, oldPassword);
    int32_t status = quorn::kBadSize;
    if (ok && name != otherName) status = quorn::kDeviceFailed;
    if (ok && name == otherName) {
        status = m_device.Update([&](DeviceState& s) -> int32_t {
            for (auto& u : s.session.users) {
                if (u.name != name) continue;
                if (u.password != oldPassword) return quorn::kWrongPassword;
                u.password = newPassword;
                return quorn::kOk;
            }
            return quorn::kNoSuchUser;
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
